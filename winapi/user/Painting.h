// What user32's painting offers the rest of user32.
#pragma once

#include <windows.h>

namespace WinApi {

// DefWindowProcA's WM_ERASEBKGND: fills what the device context may draw on
// (the update rectangle of a paint DC) with the class background brush;
// false when the class has none.
bool EraseBackground(HWND window, HDC dc);

} // namespace WinApi
