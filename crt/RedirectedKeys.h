// Keys from a standard input that is not a console: a file or a pipe, as when
// the program runs as `echo | bifurcation` or with input from a file. Such a
// handle has no input events to count, wait for or read, so the keyboard
// would otherwise either hang or poll it forever.
//
// Each byte read stands for the key that types it, as an ordinary key. A line
// end in any of the usual forms (LF, CR, or CR LF as one) is the Enter key, so
// the line editor sees exactly one Enter per line. At the end of the data, or
// when the read fails, Enter is delivered, again on every later call: the line
// being read then ends instead of waiting for keys that cannot come, and the
// program carries on. NUL bytes are skipped, because a key code of 0 would
// announce an extended code that never follows. Nothing here knows of
// graphics.
#pragma once

#include <windows.h>

namespace Crt {

// True when the handle is a console input buffer (its input events can be
// counted).
bool IsConsoleInput(HANDLE handle);

// Reads the next key from a file or pipe handle and leaves it pending as an
// ordinary key. Always finds one; blocks only as long as a read of the handle
// does.
bool ReadRedirectedKey(HANDLE handle);

} // namespace Crt
