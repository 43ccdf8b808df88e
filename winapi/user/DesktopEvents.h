// user32's side of the desktops: what the user does on a desktop, turned into
// window messages. The desktop in use reports into this sink from whatever
// thread it runs on; each event reaches the window through its owning
// thread's message queue (or its update region), never by calling the window
// procedure directly.
//
// The close box posts WM_CLOSE. An exposed area joins the update region, to
// be erased. A new client size resizes the client surface, sends WM_SIZE
// through the queue and invalidates the client area as the class styles
// CS_HREDRAW | CS_VREDRAW ask. Keys become WM_KEYDOWN / WM_KEYUP (WM_SYS...
// while Alt is held) with lParam built from the repeat count 1, the scan code,
// the extended-key flag and the transition bits; characters WM_CHAR or
// WM_SYSCHAR; mouse buttons WM_xBUTTONDOWN/UP, or a double click for a class
// with CS_DBLCLKS.
#pragma once

#include "desktop/Desktop.h"

namespace WinApi {

// The one sink of user32, handed to whichever desktop is chosen.
DesktopEvents& UserDesktopEvents();

} // namespace WinApi
