// The desktop that shows windows on the real display through SDL. It reports
// what the user does into events, which must outlive it.
#pragma once

#include "desktop/Desktop.h"

#include <memory>

namespace WinApi {

std::unique_ptr<Desktop> MakeSdlDesktop(DesktopEvents& events);

} // namespace WinApi
