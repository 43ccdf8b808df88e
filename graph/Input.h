// Keyboard and mouse input from the graph window, for programs. The window's
// message thread hands key, character, mouse-button and close messages to
// the kernel's two message hooks; the handlers installed here queue what they
// see under a lock, and the program's thread takes it from the queue. Keys
// come in the console keyboard's two-byte form: a character, or 0 followed by
// the extended code of a special key (function keys, the cursor block).
#pragma once

#include <windows.h>

#include <cstdint>

namespace Graph {

// Mouse buttons, as bits of MouseEventType::Buttons.
constexpr std::uint16_t LeftButton = 1;
constexpr std::uint16_t RightButton = 2;
constexpr std::uint16_t MiddleButton = 4;

// A button going down or up, where the mouse was, and the buttons held
// afterwards.
struct MouseEventType {
    std::int16_t X = 0;
    std::int16_t Y = 0;
    std::uint16_t Buttons = 0;
    bool Down = false;
};

// Puts the input handlers into the message hooks and empties the queues.
// Every operation below installs them when they are not yet installed.
void InstallGraphInput();

bool GraphKeyPressed();
// The next key, waiting for one; once the window has been closed and no key
// is left, Esc, so that a program waiting for a key comes to its end.
char GraphReadKey();

// The last position and buttons that a button message reported.
void GetMouseState(std::int16_t& x, std::int16_t& y, std::uint16_t& buttons);
// Takes the oldest queued button event; false when there is none.
bool GetMouseEvent(MouseEventType& event);

// Whether the window's close box has been used.
bool GraphWindowClosed();

// Waits until a key or a button event is queued or the window has closed,
// at most the given time.
void WaitForGraphInput(DWORD milliseconds);

// The handlers themselves, for the message hooks.
LRESULT CALLBACK GraphCharHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK GraphMouseHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace Graph
