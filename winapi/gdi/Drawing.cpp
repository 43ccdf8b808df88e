// Pixels, lines and rectangles.
//
// SetPixelV is the hottest call of the whole program, so it has a path of its
// own rather than a drawing session: a cached handle look-up (one load), one
// lock (the context's, or for a window the surface's Lock), the same clip tests
// as a session's (surface, paint clip, clip region, covered parts) and a
// store; a window's Dirty is extended and the desktop woken as a session
// would. Lines follow Bresenham: the point nearest to the true line in each
// column (or row, for steep lines), halves rounded towards the smaller
// coordinate, the end point left out as Windows does. A line is walked only over the part of
// its major axis that crosses the drawable area, so a line with far-away ends
// costs no more than one across the surface.
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace WinApi {
namespace {

bool WithinLimit(long long v) {
    return v > -CoordinateLimit && v < CoordinateLimit;
}

// Calls plot(x, y) for the points of the line from `from` to `to`, end
// excluded, whose major coordinate lies inside box.
template <class Plot>
void WalkLine(POINT from, POINT to, const RECT& box, Plot plot) {
    long long dx = static_cast<long long>(to.x) - from.x;
    long long dy = static_cast<long long>(to.y) - from.y;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    long long major = xMajor ? std::llabs(dx) : std::llabs(dy);
    long long minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    if (major == 0)
        return;
    int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    long long majorStart = xMajor ? from.x : from.y;
    long long minorStart = xMajor ? from.y : from.x;
    long long low = xMajor ? box.left : box.top;
    long long high = xMajor ? box.right : box.bottom;
    long long minorLow = xMajor ? box.top : box.left;
    long long minorHigh = xMajor ? box.bottom : box.right;

    // The steps i (0 <= i < major) whose major coordinate lies in [low, high).
    long long first = majorStep > 0 ? low - majorStart : majorStart - high + 1;
    long long last = majorStep > 0 ? high - majorStart : majorStart - low + 1;
    first = std::max(first, 0LL);
    last = std::min(last, major);
    if (first >= last)
        return;

    // The minor offset at step i is i * minor / major rounded to the nearest
    // pixel, kept as a quotient and remainder of (2 i minor + major - tie) /
    // (2 major). A line passing exactly between two pixels takes the one
    // with the smaller coordinate whichever way it is drawn, so a line and
    // its reverse cover the same pixels.
    const long long tie = minorStep > 0 ? 1 : 0;
    long long numerator = 2 * first * minor + major - tie;
    long long offset = numerator / (2 * major);
    long long remainder = numerator % (2 * major);
    for (long long i = first; i < last; ++i) {
        long long m = majorStart + majorStep * i;
        long long n = minorStart + minorStep * offset;
        if (n >= minorLow && n < minorHigh) {
            if (xMajor)
                plot(static_cast<int>(m), static_cast<int>(n));
            else
                plot(static_cast<int>(n), static_cast<int>(m));
        } else if ((minorStep > 0 && n >= minorHigh) || (minorStep < 0 && n < minorLow)) {
            break; // the line has left the box for good
        }
        remainder += 2 * minor;
        if (remainder >= 2 * major) {
            remainder -= 2 * major;
            ++offset;
        }
    }
}

bool Contains(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

inline bool InClip(const DeviceContext& dc, int x, int y) {
    return (!dc.HasPaintClip || Contains(dc.PaintClip, x, y)) &&
           (!dc.HasClip || Contains(dc.Clip, x, y));
}

// The square that a pen of this width covers around a point; x and y lie
// near the surface and the width is kept below 2^15, so nothing overflows.
RECT PenSquare(int x, int y, int width) {
    int before = (width - 1) / 2;
    return {x - before, y - before, x - before + width, y - before + width};
}

} // namespace
} // namespace WinApi

using namespace WinApi;

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return FALSE;
    std::uint32_t pixel = PixelFromColorRef(color & PixelMask);
    if (!dc->IsWindow) {
        std::lock_guard contextGuard(dc->Lock);
        // The stock bitmap is shared, hence never written.
        Surface& pixels = dc->Bitmap->Pixels;
        if (dc->Bitmap->Stock || !InClip(*dc, x, y) || !pixels.Contains(x, y))
            return FALSE;
        pixels.At(x, y) = pixel;
        return TRUE;
    }
    // A window context's surface is set once and its clip changes under the
    // surface's Lock too, so that one lock is enough here.
    ClientSurface* client = dc->Client.get();
    if (!client)
        return FALSE;
    bool wake = false;
    {
        std::lock_guard surfaceGuard(client->Lock);
        if (!InClip(*dc, x, y) || !client->Contains(x, y) ||
            (!client->Covered.empty() && !client->Visible(x, y)))
            return FALSE;
        client->At(x, y) = pixel;
        wake = client->MarkDirty({x, y, x + 1, y + 1});
    }
    // Dirty was empty: wake the desktop now that the lock is released. Wake
    // is set before the window's first drawing and never changed after.
    if (wake && client->Wake)
        client->Wake();
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    // Every surface holds exact 24-bit colour, so the colour set is the one
    // asked for.
    return SetPixelV(hdc, x, y, color) ? (color & PixelMask) : CLR_INVALID;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return CLR_INVALID;
    DrawSession session(*dc);
    const Canvas& canvas = session.Dest;
    if (!canvas.Readable(x, y))
        return CLR_INVALID;
    return ColorRefFromPixel(canvas.Pixels->At(x, y));
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return FALSE;
    DrawSession session(*dc);
    POINT from = dc->Position;
    POINT to{x, y};
    dc->Position = to;
    if (!WithinLimit(from.x) || !WithinLimit(from.y) || !WithinLimit(x) || !WithinLimit(y)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const PenObject& pen = *dc->Pen;
    Canvas& canvas = session.Dest;
    if (!pen.Draws() || !canvas.Writable)
        return TRUE;
    if (pen.Width == 1) {
        std::uint32_t pixel = pen.Pixel;
        WalkLine(from, to, canvas.Clip, [&](int px, int py) {
            if (!canvas.CheckCovered || canvas.Client->Visible(px, py)) {
                canvas.Pixels->At(px, py) = pixel;
                canvas.Touch(px, py);
            }
        });
        return TRUE;
    }
    // A wide pen reaches the clip from points up to half its width outside.
    int width = std::min(pen.Width, 0x7FFF);
    int reach = width / 2 + 1;
    RECT box{canvas.Clip.left - reach, canvas.Clip.top - reach, canvas.Clip.right + reach,
             canvas.Clip.bottom + reach};
    WalkLine(from, to, box,
             [&](int px, int py) { canvas.Fill(PenSquare(px, py, width), pen.Pixel); });
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return FALSE;
    DrawSession session(*dc);
    Canvas& canvas = session.Dest;
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right),
           std::max(top, bottom)};
    if (IsEmpty(r))
        return TRUE;
    const PenObject& pen = *dc->Pen;
    const BrushObject& brush = *dc->Brush;
    if (!pen.Draws()) {
        // Without an outline Windows fills one pixel less across and down.
        if (brush.Paints())
            canvas.Fill({r.left, r.top, r.right - 1, r.bottom - 1}, brush.Pixel);
        return TRUE;
    }
    // The outline lies inside the rectangle, as wide as the pen, and clipped
    // to half the rectangle so that a narrow one is simply filled with it.
    long long across = (static_cast<long long>(r.right) - r.left + 1) / 2;
    long long down = (static_cast<long long>(r.bottom) - r.top + 1) / 2;
    auto band = static_cast<LONG>(std::min({static_cast<long long>(pen.Width), across, down}));
    RECT inner{r.left + band, r.top + band, r.right - band, r.bottom - band};
    canvas.Fill({r.left, r.top, r.right, inner.top}, pen.Pixel);
    canvas.Fill({r.left, inner.bottom, r.right, r.bottom}, pen.Pixel);
    canvas.Fill({r.left, inner.top, inner.left, inner.bottom}, pen.Pixel);
    canvas.Fill({inner.right, inner.top, r.right, inner.bottom}, pen.Pixel);
    if (brush.Paints())
        canvas.Fill(inner, brush.Pixel);
    return TRUE;
}
