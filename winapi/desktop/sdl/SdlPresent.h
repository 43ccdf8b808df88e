// Presenting: moving pixels from a window's client surface to its SDL window
// surface. Runs on the desktop thread only. The client surface's Lock is held
// just while the dirty part is copied, so that drawing threads, which take it
// for every pixel they change, never wait for the screen itself.
#pragma once

#include "gdi/Surface.h"

#include <SDL2/SDL_rect.h>
#include <SDL2/SDL_surface.h>

namespace WinApi {

// Copies area of source into the same place of target, which has the same
// origin; area lies inside both (the caller clips). SDL_PIXELFORMAT_RGB888
// is our own layout and is copied as it is; other formats are converted.
void CopyPixels(const Surface& source, SDL_Surface* target, const SDL_Rect& area);

// Copies what the client surface has to show on target: its dirty part, or
// all of it when whole is set (a new or exposed window surface), and empties
// Dirty. Fills copied with the area to update on the screen and answers
// whether there is one.
bool TakeDirty(ClientSurface& surface, SDL_Surface* target, bool whole, SDL_Rect& copied);

} // namespace WinApi
