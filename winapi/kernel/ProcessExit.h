// Work the layer must do however the process ends: each backend that changes
// something outside the process (a terminal's mode, for one) registers here
// how to put it back. ExitProcess runs the hooks, last registered first.
#pragma once

namespace WinApi {

using ProcessExitHook = void (*)();

void AtProcessExit(ProcessExitHook hook);
void RunProcessExitHooks();

} // namespace WinApi
