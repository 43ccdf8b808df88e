// Presenting: bringing a window's client surface to its SDL window surface.
// Runs on the desktop thread only. When the window surface has the client
// surface's size and our pixel layout, its memory is lent to the client
// surface, which then draws straight into it, and presenting copies nothing;
// otherwise the dirty part is copied, converted where the format differs.
// The client surface's Lock is held just while Dirty is taken (and a copy
// made), so that drawing threads, which take it for every pixel they change,
// never wait for the screen itself.
#pragma once

#include "gdi/Surface.h"

#include <SDL2/SDL_rect.h>
#include <SDL2/SDL_surface.h>

namespace WinApi {

// Copies area of source into the same place of target, which has the same
// origin; area lies inside both (the caller clips). SDL_PIXELFORMAT_RGB888
// is our own layout and is copied as it is; other formats are converted.
void CopyPixels(const Surface& source, SDL_Surface* target, const SDL_Rect& area);

// Brings onto target what the client surface has to show: its dirty part,
// or all of it when whole is set (a new or exposed window surface), and
// empties Dirty; lends target's memory to the surface first where it can
// and mayLend allows (not where SDL itself reads that memory on this thread,
// as a texture's source, while drawing threads write it). Fills shown with
// the area to update on the screen and answers whether there is one.
bool TakeDirty(ClientSurface& surface, SDL_Surface* target, bool whole, bool mayLend,
               SDL_Rect& shown);

// Lends target's memory to the client surface where it can (as TakeDirty).
void Lend(ClientSurface& surface, SDL_Surface* target);

// Before SDL frees a window surface's pixel memory: a client surface that
// draws in it gets memory of its own again, with its picture when keep is
// set, black otherwise (a window that is going away).
void TakeBackMemory(ClientSurface& surface, const void* memory, bool keep);

} // namespace WinApi
