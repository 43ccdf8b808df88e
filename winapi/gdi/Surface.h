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
// presents, shows the dirty part and empties Dirty.
//
// Where the display keeps a window's picture in our own pixel layout, the
// desktop lends that memory to the client surface, so that drawing goes
// straight to what the screen shows and presenting copies nothing. The
// desktop takes it back (under Lock) before it frees it; a resize leaves the
// surface with memory of its own again.
#pragma once

#include "gdi/Rects.h"
#include "kernel/BiasedLock.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace WinApi {

// COLORREF is 0x00BBGGRR; surface pixels are 0x00RRGGBB.
constexpr std::uint32_t PixelFromColorRef(COLORREF color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
constexpr COLORREF ColorRefFromPixel(std::uint32_t pixel) {
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// A surface's pixel memory: its own, or lent by the display. Memory of its
// own that starts black is asked of the system already zeroed, so that pages
// nothing has drawn on cost no memory; and it is known to be all black until
// anything may have written to it (any non-const access), so that painting
// it black again, as a new window and its back buffer are, touches nothing.
class PixelMemory {
public:
    PixelMemory(std::size_t count, std::uint32_t fill);

    std::uint32_t* data() {
        AllBlack = false;
        return Data;
    }
    const std::uint32_t* data() const { return Data; }
    std::size_t size() const { return Count; }
    std::uint32_t& operator[](std::size_t i) {
        AllBlack = false;
        return Data[i];
    }
    bool Black() const { return AllBlack; }
    const std::uint32_t* begin() const { return Data; }
    const std::uint32_t* end() const { return Data + Count; }

    // Whether the pixels live in memory lent by the display.
    bool Lent() const { return !Own; }
    // Moves the pixels into memory, which holds size() of them and stays
    // valid until TakeBack or Forget.
    void Borrow(std::uint32_t* memory);
    // Copies the pixels back into memory of their own.
    void TakeBack();
    // Gives up lent memory for black memory of its own: for a surface that
    // nothing will show again, whose picture no longer matters.
    void Forget();

private:
    struct Release {
        void operator()(std::uint32_t* memory) const;
    };
    static std::unique_ptr<std::uint32_t[], Release> Allocate(std::size_t count,
                                                              std::uint32_t fill);

    std::unique_ptr<std::uint32_t[], Release> Own;
    std::uint32_t* Data;
    std::size_t Count;
    bool AllBlack;
};

class Surface {
public:
    Surface(int width, int height, std::uint32_t fill = 0)
        : Width(width), Height(height),
          Pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}
    virtual ~Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int Width;
    int Height;
    PixelMemory Pixels;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
    std::uint32_t& At(int x, int y) {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

class ClientSurface : public Surface {
public:
    using Surface::Surface;

    BiasedLock Lock;
    RECT Dirty{0, 0, 0, 0}; // empty when left >= right or top >= bottom
    // Parts of the client area hidden by something in front of the window:
    // drawing through a window device context leaves them alone.
    std::vector<RECT> Covered;
    // Set by the desktop: asks it to present soon. Called without Lock held.
    std::function<void()> Wake;

    // A window's client area changes size when the user resizes it: the
    // pixels that both sizes share are kept, new ones get fill (Lock held).
    // The resized pixels are the surface's own, whatever held them before.
    void Resize(int width, int height, std::uint32_t fill);

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
