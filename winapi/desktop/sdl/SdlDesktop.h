// The desktop that shows windows on the real display through SDL.
#pragma once

#include "desktop/Desktop.h"

#include <memory>

namespace WinApi {

std::unique_ptr<Desktop> MakeSdlDesktop();

} // namespace WinApi
