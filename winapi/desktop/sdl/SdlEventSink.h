// Where the SDL desktop reports what the user does. In the system this is
// user32 (user/DesktopEvents.h); tests of the desktop put a recorder in its
// place, to see exactly what the desktop made of an X event. The desktop
// calls it on its own thread and holds none of its locks meanwhile; an
// implementation must not wait for the desktop thread.
#pragma once

#include "desktop/Desktop.h"

#include <windows.h>

#include <memory>

namespace WinApi {

class SdlEventSink {
public:
    virtual ~SdlEventSink() = default;

    virtual void CloseRequest(HWND window) = 0;
    virtual void Resized(HWND window, int clientWidth, int clientHeight) = 0;
    virtual void Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
                     bool alt) = 0;
    virtual void Char(HWND window, BYTE character, WORD scanCode, bool alt) = 0;
    virtual void MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                             WPARAM keyState) = 0;
};

// The sink that hands everything to user32.
std::unique_ptr<SdlEventSink> MakeUserEventSink();

// An SDL desktop that reports to events instead of user32.
std::unique_ptr<Desktop> MakeSdlDesktop(std::unique_ptr<SdlEventSink> events);

} // namespace WinApi
