// The viewport and clipping to it.
//
// The viewport is kept as its top-left screen pixel and its width and height
// less one, so that both edges are inside it. Drawing operations clip once,
// on entry: segments with LineClipped, single pixels of thick lines with
// DirectPutPixelClip. What they then pass to DirectPutPixel is not checked
// again.
#include "graph/ViewPort.h"

#include "graph/DefaultPalette.h"
#include "graph/GraphState.h"
#include "graph/OperationTable.h"

#include <algorithm>
#include <cassert>

namespace Graph {

void SetViewPort(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, bool clip) {
    if (x1 > GetMaxX() || x2 > GetMaxX() || x2 < x1 || x1 < 0) {
        GraphResult = GraphError;
        return;
    }
    if (y1 > GetMaxY() || y2 > GetMaxY() || y2 < y1 || y1 < 0) {
        GraphResult = GraphError;
        return;
    }
    CurrentX = 0;
    CurrentY = 0;
    StartXViewPort = x1;
    StartYViewPort = y1;
    // Both ends lie in 0 to MaxX (MaxY), so the differences fit.
    ViewWidth = Low16(x2 - x1);
    ViewHeight = Low16(y2 - y1);
    ClipPixels = clip;
}

void GetViewSettings(ViewPortType& viewport) {
    viewport.X1 = StartXViewPort;
    viewport.Y1 = StartYViewPort;
    viewport.X2 = Low16(StartXViewPort + ViewWidth);
    viewport.Y2 = Low16(StartYViewPort + ViewHeight);
    viewport.Clip = ClipPixels;
}

std::int16_t GetMaxX() {
    return MaxX;
}

std::int16_t GetMaxY() {
    return MaxY;
}

std::uint16_t GetMaxColor() {
    return Low16U(MaxColor - 1);
}

// The background is shown by redefining palette entry 0; the palette is set
// with the whole screen as viewport, and the caller's viewport is set again
// afterwards, which also puts the current position at (0, 0).
void SetBkColor(std::uint16_t color) {
    ViewPortType saved;
    GetViewSettings(saved);
    SetViewPort(0, 0, MaxX, MaxY, false);
    CurrentBkColor = color;
    if (!DirectColor && color < 256) {
        const RGBEntry& entry = DefaultColors[color];
        SetRGBPalette(0, entry.Red, entry.Green, entry.Blue);
    }
    SetViewPort(saved.X1, saved.Y1, saved.X2, saved.Y2, saved.Clip);
}

void DirectPutPixelClip(std::int16_t x, std::int16_t y) {
    if (ClipPixels && (x < StartXViewPort || x > StartXViewPort + ViewWidth || y < StartYViewPort ||
                       y > StartYViewPort + ViewHeight))
        return;
    DirectPutPixel(x, y);
}

bool LineClipped(std::int16_t& x1, std::int16_t& y1, std::int16_t& x2, std::int16_t& y2,
                 std::int16_t xmin, std::int16_t ymin, std::int16_t xmax, std::int16_t ymax) {
    constexpr std::int32_t Left = 1;
    constexpr std::int32_t Right = 2;
    constexpr std::int32_t Bottom = 4;
    constexpr std::int32_t Top = 8;

    // The rectangle is inclusive: a point on an edge has no bit set.
    auto Outcode = [&](std::int16_t x, std::int16_t y) {
        std::int32_t code = 0;
        if (x < xmin)
            code |= Left;
        else if (x > xmax)
            code |= Right;
        if (y > ymax)
            code |= Bottom;
        else if (y < ymin)
            code |= Top;
        return code;
    };

    // The point where the segment crosses the line at `edge` of the axis
    // that `from`/`to` run along; `acrossFrom`/`acrossTo` are the other axis.
    // Differences of 16-bit values need 17 bits and their product up to 34,
    // so the product is taken in 64 bits; the quotient truncates towards zero.
    // The edge separates the end points, so the result lies between them.
    auto Intersect = [](std::int16_t from, std::int16_t to, std::int16_t acrossFrom,
                        std::int16_t acrossTo, std::int16_t edge) {
        const std::int64_t span = std::int64_t{to} - from;
        assert(span != 0 && "the clipping edge separates the two end points");
        const std::int64_t across = std::int64_t{acrossTo} - acrossFrom;
        const std::int64_t result = acrossFrom + across * (std::int64_t{edge} - from) / span;
        assert(result >= std::min(acrossFrom, acrossTo) &&
               result <= std::max(acrossFrom, acrossTo) &&
               "the intersection lies between the end points");
        return static_cast<std::int16_t>(result);
    };

    std::int32_t code1 = Outcode(x1, y1);
    std::int32_t code2 = Outcode(x2, y2);
    for (;;) {
        if (code1 == 0 && code2 == 0)
            return false;
        if ((code1 & code2) != 0)
            return true;
        const bool moveFirst = code1 != 0;
        const std::int32_t code = moveFirst ? code1 : code2;
        std::int16_t x;
        std::int16_t y;
        if (code & Left) {
            y = Intersect(x1, x2, y1, y2, xmin);
            x = xmin;
        } else if (code & Right) {
            y = Intersect(x1, x2, y1, y2, xmax);
            x = xmax;
        } else if (code & Bottom) {
            x = Intersect(y1, y2, x1, x2, ymax);
            y = ymax;
        } else {
            x = Intersect(y1, y2, x1, x2, ymin);
            y = ymin;
        }
        if (moveFirst) {
            x1 = x;
            y1 = y;
            code1 = Outcode(x1, y1);
        } else {
            x2 = x;
            y2 = y;
            code2 = Outcode(x2, y2);
        }
    }
}

bool LineClippedToViewPort(std::int16_t& x1, std::int16_t& y1, std::int16_t& x2, std::int16_t& y2) {
    return LineClipped(x1, y1, x2, y2, StartXViewPort, StartYViewPort,
                       Low16(StartXViewPort + ViewWidth), Low16(StartYViewPort + ViewHeight));
}

void SaveState() {}

void RestoreState() {}

} // namespace Graph
