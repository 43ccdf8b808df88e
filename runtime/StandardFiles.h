// The process's standard handles, the four standard text files bound to them,
// and the pending I/O result that gates all text operations.
#pragma once

#include "runtime/TextRec.h"

#include <cstdint>

namespace Runtime {

extern HANDLE StdInputHandle;
extern HANDLE StdOutputHandle;
extern HANDLE StdErrorHandle;

extern TextRec Input;
extern TextRec Output;
extern TextRec StdOut;
extern TextRec StdErr;

// The pending I/O result; 0 means none.
extern std::uint16_t InOutRes;

// Turns a pending I/O result into the run-time error of the same number,
// raised at the check's return address.
void IOCheck();

// The I/O result for a failed Windows file call's error code: errors 19 to 31
// become 150 to 162, a sharing violation (32) becomes access denied (5), and
// every other code is kept in its low 16 bits.
std::uint16_t IOResultFromWindowsError(DWORD error);

// Binds a record to a handle as a handle file (Windows file calls), in the
// given mode. Used for the standard files at start-up.
void BindHandleFile(TextRec& file, HANDLE handle, std::uint32_t mode);

} // namespace Runtime
