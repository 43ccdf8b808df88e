// Where windows are shown: one small interface with two backends, chosen in
// one place (CurrentDesktop). "sdl" shows windows on the real display through
// a desktop thread of its own; "headless" keeps a virtual screen in memory and
// lets tests act as the user.
//
// user32 calls the desktop when top-level windows appear, change and go; the
// desktop reports what the user does into the events sink that user32 hands
// it (DesktopEvents below), from whatever thread it runs on. No desktop knows
// user32's own state: the sink is all it sees of it.
#pragma once

#include "gdi/Surface.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace WinApi {

// What the user does on a desktop. user32 receives it (user/DesktopEvents.h
// makes the messages); tests of a desktop may record it instead. Desktops
// call it from whatever thread they run on and hold none of their own locks
// meanwhile; an implementation never waits for a desktop's thread.
class DesktopEvents {
public:
    virtual ~DesktopEvents() = default;

    // The close box was clicked, or the window vanished from the display.
    virtual void CloseRequest(HWND window) = 0;
    // Part of the client area (client coordinates) must be drawn again.
    virtual void Exposed(HWND window, const RECT& area) = 0;
    // The user gave the client area a new size.
    virtual void Resized(HWND window, int clientWidth, int clientHeight) = 0;
    // A key went down or up, with its virtual-key and set-1 scan codes.
    virtual void Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
                     bool alt) = 0;
    // A character typed.
    virtual void Char(HWND window, BYTE character, WORD scanCode, bool alt) = 0;
    // A mouse button (1 left, 2 middle, 3 right) at client coordinates (x, y);
    // keyState holds the MK_ flags of the buttons and modifier keys held.
    virtual void MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                             WPARAM keyState) = 0;
};

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

    // Where the desktop reports from now on; the selection connects user32's
    // sink to a desktop that has none yet.
    void Connect(DesktopEvents& events) { Sink.store(&events); }
    bool Connected() const { return Sink.load() != nullptr; }

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

protected:
    DesktopEvents& Events() const { return *Sink.load(); }

private:
    std::atomic<DesktopEvents*> Sink{nullptr};
};

// The desktop in use. The first call chooses it from the environment (see
// Desktop.cpp) unless a test has chosen one with SelectDesktop, which connects
// it to user32's events.
Desktop& CurrentDesktop();
void SelectDesktop(std::unique_ptr<Desktop> desktop);

} // namespace WinApi
