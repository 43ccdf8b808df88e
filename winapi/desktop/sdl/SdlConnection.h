// What the desktop thread needs of SDL's connection to an X display, kept
// apart because the X headers define names that clash with ours:
// - the connection's file descriptor, which the desktop thread waits on (with
//   its own doorbell) instead of in SDL_WaitEvent;
// - X errors that must not end the process: another client may destroy one of
//   our windows at any moment, and every later request about it is an error,
//   which Xlib's default handler answers by exiting;
// - the notice that a window was destroyed, so that the desktop treats a
//   window that vanished like one the user closed.
#pragma once

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_video.h>

namespace WinApi {

// -1 when the window is not on an X display.
int DisplayConnectionDescriptor(SDL_Window* window);

// Replaces Xlib's fatal default for protocol errors by one that ignores them,
// and asks SDL to pass on the display's own events. Desktop thread, after
// SDL_Init.
void SurviveDisplayErrors();

// The X window behind window, or 0 when it is not on an X display.
unsigned long NativeWindowId(SDL_Window* window);

// The X window that event reports destroyed, or 0 when it reports no such thing.
unsigned long DestroyedWindowOf(const SDL_Event& event);

} // namespace WinApi
