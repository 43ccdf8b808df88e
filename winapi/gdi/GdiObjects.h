// The GDI objects behind the handles, and the drawing session that every
// drawing call opens on its device contexts.
//
// A device context draws on one surface: a memory context on the bitmap that
// is selected into it, a window context on the window's client surface. Its
// own lock (a BiasedLock) serialises calls on it; a bitmap is selected into at
// most one context at a time, so that lock is all the locking its pixels
// need. The stock 1 × 1 bitmap, which every new memory context holds, is
// shared and is therefore never written: drawing on it does nothing.
//
// A drawing session takes, in this order, the locks of the contexts
// involved and the Lock of each client surface involved, works out the
// drawable area (surface, clip region, paint clip) and gathers the area that
// was written. On closing it marks that area Dirty, releases everything, and
// wakes the desktop when Dirty was empty before.
#pragma once

#include "gdi/GdiHandles.h"
#include "gdi/Rects.h"
#include "gdi/Surface.h"
#include "kernel/BiasedLock.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace WinApi {

// Coordinates and sizes of lines and stretched transfers stay within 28 bits,
// as in the coordinate space of Windows NT's GDI; this keeps their arithmetic
// exact in 64 bits.
constexpr long long CoordinateLimit = 1LL << 27;

constexpr std::uint32_t PixelMask = 0x00FFFFFF;

class BitmapObject : public GdiObject {
public:
    BitmapObject(int width, int height) : GdiObject(GdiKind::Bitmap), Pixels(width, height) {}
    Surface Pixels;
    // Whether a device context holds the bitmap; the stock bitmap, which
    // many hold at once, ignores it.
    std::atomic<bool> Selected{false};
};

class PenObject : public GdiObject {
public:
    PenObject(int style, int width, COLORREF color)
        : GdiObject(GdiKind::Pen), Style(style), Width(width), Color(color & PixelMask),
          Pixel(PixelFromColorRef(Color)) {}
    const int Style;
    const int Width; // at least 1
    const COLORREF Color;
    const std::uint32_t Pixel;
    bool Draws() const { return Style != PS_NULL; }
};

class BrushObject : public GdiObject {
public:
    BrushObject(UINT style, COLORREF color)
        : GdiObject(GdiKind::Brush), Style(style), Color(color & PixelMask),
          Pixel(PixelFromColorRef(Color)) {}
    const UINT Style;
    const COLORREF Color;
    const std::uint32_t Pixel;
    bool Paints() const { return Style != BS_NULL; }
};

class RegionObject : public GdiObject {
public:
    explicit RegionObject(const RECT& box) : GdiObject(GdiKind::Region), Box(box) {}
    const RECT Box; // normalised; empty when left == right or top == bottom
};

class DeviceContext : public GdiObject {
public:
    DeviceContext() : GdiObject(GdiKind::DeviceContext) {}
    ~DeviceContext() override;
    // Gives back the bitmap (free to be selected elsewhere at once) and the
    // tools, since this thread's or another's cache may keep the context
    // itself a while longer. A window context keeps its client surface, as
    // a call in flight may still draw on it.
    void Retire() override;

    BiasedLock Lock;
    // Set once at creation.
    bool IsWindow = false;
    HWND Window = nullptr;
    std::shared_ptr<ClientSurface> Client;
    bool HasPaintClip = false;
    RECT PaintClip{0, 0, 0, 0};

    // Under Lock.
    std::shared_ptr<BitmapObject> Bitmap; // memory contexts only
    HGDIOBJ BitmapHandle = nullptr;
    std::shared_ptr<PenObject> Pen;
    HGDIOBJ PenHandle = nullptr;
    std::shared_ptr<BrushObject> Brush;
    HGDIOBJ BrushHandle = nullptr;
    // A window context's clip changes under its surface's Lock as well.
    bool HasClip = false;
    RECT Clip{0, 0, 0, 0};
    POINT Position{0, 0};
};

struct StockObjects {
    std::array<HGDIOBJ, NULL_PEN + 1> Handles{};
    HGDIOBJ BitmapHandle = nullptr;
    std::shared_ptr<BitmapObject> Bitmap;
    std::shared_ptr<PenObject> BlackPen;
    std::shared_ptr<BrushObject> WhiteBrush;
};

// Made on first use, by whichever thread comes first.
const StockObjects& Stock();

// How many bitmaps CreateCompatibleBitmap has made since the process
// started: lets tests see whether something was built again.
std::uint64_t BitmapsCreated();

// A new context with the stock pen, brush and (memory contexts) bitmap.
std::shared_ptr<DeviceContext> NewDeviceContext();

// One device context's surface for the length of a session.
struct Canvas {
    Surface* Pixels = nullptr;
    ClientSurface* Client = nullptr; // window contexts
    RECT Area{0, 0, 0, 0};           // the whole surface: what a transfer reads
    RECT Clip{0, 0, 0, 0};           // what may be drawn or read by GetPixel
    bool Writable = false;
    bool CheckCovered = false; // the window has covered parts
    RECT Touched{0, 0, 0, 0};

    bool Readable(int x, int y) const {
        return x >= Clip.left && x < Clip.right && y >= Clip.top && y < Clip.bottom &&
               (!CheckCovered || Client->Visible(x, y));
    }
    bool Drawable(int x, int y) const { return Writable && Readable(x, y); }
    void Touch(int x, int y) {
        if (Client)
            Touch(RECT{x, y, x + 1, y + 1});
    }
    void Touch(const RECT& area);
    // Fills a rectangle, clipped, with one pixel value.
    void Fill(RECT area, std::uint32_t pixel);
};

class DrawSession {
public:
    explicit DrawSession(DeviceContext& dest, DeviceContext* source = nullptr);
    ~DrawSession();
    DrawSession(const DrawSession&) = delete;
    DrawSession& operator=(const DrawSession&) = delete;

    Canvas Dest;
    Canvas Source; // when a source context was given

private:
    std::unique_lock<BiasedLock> DestContext;
    std::unique_lock<BiasedLock> SourceContext;
    std::unique_lock<BiasedLock> DestSurface;
    std::unique_lock<BiasedLock> SourceSurface;
};

} // namespace WinApi
