// The console on the process's terminal: the screen buffer model shown with
// VT sequences (console/tty/VtRenderer.h), keys read from the terminal on
// demand (console/tty/TerminalInput.h), and the terminal's mode set on first
// use and restored on the way out (console/tty/TerminalMode.h).
//
// The terminal is the controlling terminal (/dev/tty) when the process has
// one, otherwise a standard descriptor that is a terminal. The buffer has the
// terminal's size at the first use (80 x 25 when it reports none) and keeps
// it; the whole buffer is the visible window. The console cursor starts where
// the terminal's cursor is, as the terminal answers within 200 ms, or at the
// top-left corner when it does not.
#pragma once

#include "console/ConsoleHost.h"

#include <memory>

namespace WinApi {

std::unique_ptr<ConsoleHost> MakeTtyConsole();

} // namespace WinApi
