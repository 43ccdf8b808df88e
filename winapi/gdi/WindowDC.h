// Device contexts on windows, for user32: GetDC, BeginPaint and their releases
// make and drop them here. A window device context holds the window's client
// surface by shared ownership, so a context that outlives its window draws
// into a surface nobody shows, never into freed memory.
#pragma once

#include "gdi/Surface.h"

#include <memory>

namespace WinApi {

// clip, when given, limits all drawing (BeginPaint's update rectangle).
HDC CreateWindowDC(HWND window, std::shared_ptr<ClientSurface> surface, const RECT* clip);

// False when dc is not a window device context of that window.
bool ReleaseWindowDC(HWND window, HDC dc);

} // namespace WinApi
