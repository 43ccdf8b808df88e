// A desktop that also keeps the pictures of its windows: when a top-level
// window goes, its client area's last picture is saved as a PNG file (see
// PngFile.h), over the picture of any window that went before. A window that
// is still there when the process ends, however it ends (ExitProcess, a
// run-time error, Ctrl+C or a terminating signal), goes then.
//
// A picture that cannot be saved is said on standard error, and the process
// then ends with exit code 1 instead of what it would have ended with.
#pragma once

#include "desktop/Desktop.h"

#include <memory>
#include <string>

namespace WinApi {

// Wraps desktop, which it connects to the same events. Only one such desktop
// may exist in a process: it serves the process's end.
std::unique_ptr<Desktop> MakePictureDesktop(std::unique_ptr<Desktop> desktop, DesktopEvents& events,
                                            const std::string& path);

} // namespace WinApi
