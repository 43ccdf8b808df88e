// Pixel surfaces: what device contexts draw on.
//
// A Surface is a block of 32-bit pixels, 0x00RRGGBB, row by row: a memory
// bitmap's pixels, or a window's client surface (which alone may change size,
// under its lock). A ClientSurface is the part
// of the screen that a top-level window's client area shows; two threads meet
// on it: program threads draw into it through window device contexts, and the
// desktop presents it. Both hold Lock while they touch Pixels, Dirty or
// Covered. Drawing extends Dirty; when Dirty goes from empty to non-empty the
// drawing side calls Wake (outside any other lock), and the desktop, when it
// presents, copies the dirty part and empties Dirty.
#pragma once

#include "gdi/Rects.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace WinApi {

// COLORREF is 0x00BBGGRR; surface pixels are 0x00RRGGBB.
constexpr std::uint32_t PixelFromColorRef(COLORREF color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
constexpr COLORREF ColorRefFromPixel(std::uint32_t pixel) {
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

class Surface {
public:
    Surface(int width, int height, std::uint32_t fill = 0)
        : Width(width), Height(height),
          Pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}
    virtual ~Surface() = default;

    int Width;
    int Height;
    std::vector<std::uint32_t> Pixels;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
    std::uint32_t& At(int x, int y) {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

class ClientSurface : public Surface {
public:
    using Surface::Surface;

    std::mutex Lock;
    RECT Dirty{0, 0, 0, 0}; // empty when left >= right or top >= bottom
    // Parts of the client area hidden by something in front of the window:
    // drawing through a window device context leaves them alone.
    std::vector<RECT> Covered;
    // Set by the desktop: asks it to present soon. Called without Lock held.
    std::function<void()> Wake;

    // A window's client area changes size when the user resizes it: the
    // pixels that both sizes share are kept, new ones get fill (Lock held).
    void Resize(int width, int height, std::uint32_t fill) {
        std::vector<std::uint32_t> resized(static_cast<size_t>(width) * static_cast<size_t>(height),
                                           fill);
        for (int y = 0; y < height && y < Height; ++y)
            for (int x = 0; x < width && x < Width; ++x)
                resized[static_cast<size_t>(y) * static_cast<size_t>(width) +
                        static_cast<size_t>(x)] = At(x, y);
        Pixels.swap(resized);
        Width = width;
        Height = height;
        Dirty = {0, 0, width, height};
    }

    // Whether a pixel may be drawn through a window device context (Lock held).
    bool Visible(int x, int y) const {
        for (const RECT& r : Covered)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                return false;
        return true;
    }

    // Adds an area to Dirty (Lock held); true when Dirty was empty before, so
    // that the caller wakes the desktop once it has released Lock.
    bool MarkDirty(const RECT& area) {
        const bool wasEmpty = IsEmpty(Dirty);
        Dirty = Union(Dirty, area);
        return wasEmpty;
    }
};

} // namespace WinApi
