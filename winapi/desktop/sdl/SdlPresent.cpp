#include "desktop/sdl/SdlPresent.h"

#include <SDL2/SDL_pixels.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace WinApi {
namespace {

// Holds an SDL surface's pixels locked, for the surfaces that need it.
class SurfacePixelsLock {
public:
    explicit SurfacePixelsLock(SDL_Surface* surface) : Target(surface) {
        Locked = SDL_MUSTLOCK(Target) && SDL_LockSurface(Target) == 0;
        Usable = !SDL_MUSTLOCK(Target) || Locked;
    }
    ~SurfacePixelsLock() {
        if (Locked)
            SDL_UnlockSurface(Target);
    }
    SurfacePixelsLock(const SurfacePixelsLock&) = delete;
    SurfacePixelsLock& operator=(const SurfacePixelsLock&) = delete;

    bool Usable = false;

private:
    SDL_Surface* Target;
    bool Locked = false;
};

void StorePixel(std::uint8_t* place, int bytesPerPixel, std::uint32_t value) {
    switch (bytesPerPixel) {
    case 1:
        *place = static_cast<std::uint8_t>(value);
        break;
    case 2: {
        auto half = static_cast<std::uint16_t>(value);
        std::memcpy(place, &half, sizeof half);
        break;
    }
    case 3:
        // Three-byte pixels are stored in the machine's byte order, low byte first here.
        place[0] = static_cast<std::uint8_t>(value);
        place[1] = static_cast<std::uint8_t>(value >> 8);
        place[2] = static_cast<std::uint8_t>(value >> 16);
        break;
    default:
        std::memcpy(place, &value, sizeof value);
        break;
    }
}

// Our own layout, 0x00RRGGBB in 32 bits: row by row as it is.
void CopyRows(const std::uint32_t* sourceRow, int sourceWidth, std::uint8_t* targetRow, int pitch,
              const SDL_Rect& area) {
    for (int y = 0; y < area.h; ++y) {
        std::memcpy(targetRow, sourceRow, static_cast<size_t>(area.w) * sizeof(std::uint32_t));
        sourceRow += sourceWidth;
        targetRow += pitch;
    }
}

// Any other window surface (16-bit displays, for one): pixel by pixel, each
// mapped to the target's format.
void ConvertRows(const std::uint32_t* sourceRow, int sourceWidth, std::uint8_t* targetRow,
                 const SDL_Surface* target, const SDL_Rect& area) {
    const int bytesPerPixel = target->format->BytesPerPixel;
    for (int y = 0; y < area.h; ++y) {
        for (int x = 0; x < area.w; ++x) {
            std::uint32_t pixel = sourceRow[x];
            std::uint32_t mapped =
                SDL_MapRGB(target->format, static_cast<Uint8>(pixel >> 16),
                           static_cast<Uint8>(pixel >> 8), static_cast<Uint8>(pixel));
            StorePixel(targetRow + static_cast<ptrdiff_t>(x) * bytesPerPixel, bytesPerPixel,
                       mapped);
        }
        sourceRow += sourceWidth;
        targetRow += target->pitch;
    }
}

} // namespace

void CopyPixels(const Surface& source, SDL_Surface* target, const SDL_Rect& area) {
    const std::uint32_t* sourceRow =
        source.Pixels.data() + static_cast<size_t>(area.y) * static_cast<size_t>(source.Width) +
        static_cast<size_t>(area.x);
    std::uint8_t* targetRow = static_cast<std::uint8_t*>(target->pixels) +
                              static_cast<ptrdiff_t>(area.y) * target->pitch +
                              static_cast<ptrdiff_t>(area.x) * target->format->BytesPerPixel;
    if (target->format->format == SDL_PIXELFORMAT_RGB888)
        CopyRows(sourceRow, source.Width, targetRow, target->pitch, area);
    else
        ConvertRows(sourceRow, source.Width, targetRow, target, area);
}

namespace {

// Whether the client surface may keep its pixels in target's memory: the
// same size, our own layout, rows without padding and no locking needed.
bool CanLend(const ClientSurface& surface, const SDL_Surface* target) {
    return target->format->format == SDL_PIXELFORMAT_RGB888 && !SDL_MUSTLOCK(target) &&
           target->w == surface.Width && target->h == surface.Height &&
           target->pitch == target->w * static_cast<int>(sizeof(std::uint32_t)) &&
           target->pixels != nullptr;
}

bool LentFrom(const ClientSurface& surface, const void* memory) {
    return surface.Pixels.Lent() && surface.Pixels.data() == memory;
}

} // namespace

bool TakeDirty(ClientSurface& surface, SDL_Surface* target, bool whole, bool mayLend,
               SDL_Rect& shown) {
    SurfacePixelsLock pixels(target);
    if (!pixels.Usable)
        return false;
    std::lock_guard lock(surface.Lock);
    bool inPlace = LentFrom(surface, target->pixels);
    if (!inPlace && mayLend && CanLend(surface, target)) {
        surface.Pixels.Borrow(static_cast<std::uint32_t*>(target->pixels));
        inPlace = true;
        whole = true;
    }
    RECT area = whole ? RECT{0, 0, surface.Width, surface.Height} : surface.Dirty;
    surface.Dirty = {0, 0, 0, 0};
    // The client surface and the window surface differ in size for a moment
    // while the user resizes the window: what both hold is shown.
    LONG right =
        std::min({area.right, static_cast<LONG>(surface.Width), static_cast<LONG>(target->w)});
    LONG bottom =
        std::min({area.bottom, static_cast<LONG>(surface.Height), static_cast<LONG>(target->h)});
    LONG left = std::max(area.left, LONG{0});
    LONG top = std::max(area.top, LONG{0});
    if (left >= right || top >= bottom)
        return false;
    shown = {left, top, right - left, bottom - top};
    if (!inPlace)
        CopyPixels(surface, target, shown);
    return true;
}

void Lend(ClientSurface& surface, SDL_Surface* target) {
    std::lock_guard lock(surface.Lock);
    if (!LentFrom(surface, target->pixels) && CanLend(surface, target))
        surface.Pixels.Borrow(static_cast<std::uint32_t*>(target->pixels));
}

void TakeBackMemory(ClientSurface& surface, const void* memory, bool keep) {
    std::lock_guard lock(surface.Lock);
    if (!LentFrom(surface, memory))
        return;
    if (keep)
        surface.Pixels.TakeBack();
    else
        surface.Pixels.Forget();
}

} // namespace WinApi
