// A modal message box on the desktop thread, with the buttons and icon that
// the MB_ flags of MessageBoxA ask for.
#pragma once

#include <windows.h>

#include <SDL2/SDL_video.h>

#include <string>

namespace WinApi {

// The button pressed (closing the box answers as its Escape button), or 0
// when no box could be shown. owner may be null.
int ShowMessageBox(SDL_Window* owner, const std::string& text, const std::string& caption,
                   UINT type);

} // namespace WinApi
