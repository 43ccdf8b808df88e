// What the user does on a desktop, turned into window messages. Desktops call
// these from whatever thread they run on; each reaches the window through its
// owning thread's message queue (or its update region), never by calling the
// window procedure directly.
#pragma once

#include <windows.h>

namespace WinApi {

// The close box: WM_CLOSE is posted to the window.
void DesktopCloseRequest(HWND window);

// Part of the client area (client coordinates) must be drawn again: it is
// added to the update region, to be erased.
void DesktopExposed(HWND window, const RECT& area);

// The user gave the client area a new size: the client surface follows, the
// window gets WM_SIZE, and the whole client area is invalidated (the class
// styles CS_HREDRAW | CS_VREDRAW ask for that).
void DesktopResized(HWND window, int clientWidth, int clientHeight);

// A key went down or up: WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN /
// WM_SYSKEYUP while Alt is held, with lParam built from the repeat count 1,
// the set-1 scan code, the extended-key flag and the transition bits.
void DesktopKey(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended, bool alt);

// A character typed: WM_CHAR, or WM_SYSCHAR while Alt is held.
void DesktopChar(HWND window, BYTE character, WORD scanCode, bool alt);

// A mouse button (1 left, 2 middle, 3 right) went down or up at client
// coordinates (x, y); a second click in quick succession is a double click.
// keyState holds the MK_ flags of the buttons and modifier keys held.
void DesktopMouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                        WPARAM keyState);

} // namespace WinApi
