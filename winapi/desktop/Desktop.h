// Where windows are shown: one small interface with two backends, chosen in
// one place (CurrentDesktop). "sdl" shows windows on the real display through
// a desktop thread of its own; "headless" keeps a virtual screen in memory and
// lets tests act as the user.
//
// user32 calls the desktop when top-level windows appear, change and go; the
// desktop reports what the user does through user32's desktop events
// (user/DesktopEvents.h), from whatever thread it runs on, and those reach a
// window only through its owning thread's message queue.
#pragma once

#include "gdi/Surface.h"

#include <windows.h>

#include <memory>
#include <string>

namespace WinApi {

struct ScreenInfo {
    int Width = 0;
    int Height = 0;
    RECT WorkArea{0, 0, 0, 0}; // the screen less the taskbar
};

struct WindowInfo {
    std::string Title;
    RECT Outer{0, 0, 0, 0};  // screen coordinates, frames and caption included
    RECT Client{0, 0, 0, 0}; // screen coordinates of the client area
    bool Visible = false;
    bool Maximized = false;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // False when there is no display: windows cannot be created.
    virtual bool Available() = 0;
    virtual ScreenInfo Screen() = 0;

    // A top-level window is being created with this client surface; false
    // when the desktop cannot show it (creation then fails).
    virtual bool AddWindow(HWND window, const WindowInfo& info,
                           std::shared_ptr<ClientSurface> surface) = 0;
    virtual void ShowWindow(HWND window, bool visible) = 0;
    // The window's title or geometry changed (the surface may have a new size).
    virtual void WindowChanged(HWND window, const WindowInfo& info) = 0;
    virtual void RemoveWindow(HWND window) = 0;

    // Shows a modal message box and returns the button pressed (IDOK).
    virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;

    // Whether RegisterClassA may succeed; a desktop for tests can refuse.
    virtual bool AllowClassRegistration() { return true; }
    // Whether CreateCompatibleBitmap may succeed; a desktop for tests can
    // refuse, as a display out of memory for bitmaps would.
    virtual bool AllowBitmaps() { return true; }
};

// The desktop in use. The first call chooses the SDL desktop unless a test has
// chosen another with SelectDesktop.
Desktop& CurrentDesktop();
void SelectDesktop(std::unique_ptr<Desktop> desktop);

} // namespace WinApi
