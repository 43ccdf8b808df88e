// Pixel memory of surfaces, and resizing a client surface.
#include "gdi/Surface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace WinApi {

void PixelMemory::Release::operator()(std::uint32_t* memory) const {
    std::free(memory);
}

std::unique_ptr<std::uint32_t[], PixelMemory::Release> PixelMemory::Allocate(std::size_t count,
                                                                             std::uint32_t fill) {
    // At least one pixel, so that an empty surface still has memory of its own.
    const std::size_t allocated = std::max<std::size_t>(count, 1);
    if (allocated > SIZE_MAX / sizeof(std::uint32_t))
        throw std::bad_alloc();
    // Zeroed memory straight from the system is not touched until drawn on.
    void* memory = fill == 0 ? std::calloc(allocated, sizeof(std::uint32_t))
                             : std::malloc(allocated * sizeof(std::uint32_t));
    if (!memory)
        throw std::bad_alloc();
    std::unique_ptr<std::uint32_t[], Release> pixels(static_cast<std::uint32_t*>(memory));
    if (fill != 0)
        std::fill_n(pixels.get(), count, fill);
    return pixels;
}

PixelMemory::PixelMemory(std::size_t count, std::uint32_t fill)
    : Own(Allocate(count, fill)), Data(Own.get()), Count(count), AllBlack(fill == 0) {}

void PixelMemory::Borrow(std::uint32_t* memory) {
    std::memcpy(memory, Data, Count * sizeof(std::uint32_t));
    Own.reset();
    Data = memory;
}

void PixelMemory::TakeBack() {
    if (!Lent())
        return;
    Own = Allocate(Count, 0);
    std::memcpy(Own.get(), Data, Count * sizeof(std::uint32_t));
    Data = Own.get();
}

void PixelMemory::Forget() {
    if (!Lent())
        return;
    Own = Allocate(Count, 0);
    Data = Own.get();
    AllBlack = true;
}

void ClientSurface::Resize(int width, int height, std::uint32_t fill) {
    PixelMemory resized(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    const int shared = std::min(width, Width);
    for (int y = 0; y < height && y < Height && shared > 0; ++y)
        std::memcpy(&resized[static_cast<size_t>(y) * static_cast<size_t>(width)], &At(0, y),
                    static_cast<size_t>(shared) * sizeof(std::uint32_t));
    std::swap(Pixels, resized);
    Width = width;
    Height = height;
    Dirty = {0, 0, width, height};
}

} // namespace WinApi
