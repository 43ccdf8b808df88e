// The file descriptor of SDL's connection to the display, which the desktop
// thread waits on (with its own doorbell) instead of in SDL_WaitEvent. Kept
// apart because the X headers it needs define names that clash with ours.
#pragma once

#include <SDL2/SDL_video.h>

namespace WinApi {

// -1 when the window is not on an X display.
int DisplayConnectionDescriptor(SDL_Window* window);

} // namespace WinApi
