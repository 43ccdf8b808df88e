// Pixels, runs, the palette and the pages on the graph window. Colour indices
// become RGB colours through the palette table; every write goes to the back
// buffer and then to the window, as DrawToBitmap and DrawToScreen allow.
//
// Each operation uses the back buffer, the window's context, the palette and
// the pens within one hold of GraphDrawing, through WhileRunning.
#include "graph/win32gui/Win32Gui.h"

#include "graph/GraphState.h"
#include "graph/OperationTable.h"

#include <algorithm>
#include <cstdlib>

namespace Win32Gui {
namespace {

// Indices at or beyond the palette table wrap within it: the table has 16 or
// 256 entries, so the low bits choose the entry. This covers write mode 4's
// complemented index and indices the caller did not check.
const Graph::RGBEntry& PaletteEntry(std::uint16_t color) {
    return Pal[color % static_cast<std::uint32_t>(PalSize)];
}

COLORREF RgbOf(std::uint16_t color) {
    const Graph::RGBEntry& entry = PaletteEntry(color);
    return RGB(static_cast<BYTE>(entry.Red), static_cast<BYTE>(entry.Green),
               static_cast<BYTE>(entry.Blue));
}

// Combines a colour with a pixel of the back buffer by write mode 1, 2 or 3,
// bit by bit on the RGB values.
COLORREF Combine(COLORREF color, COLORREF pixel) {
    switch (Graph::CurrentWriteMode) {
    case 1:
        return color ^ pixel;
    case 2:
        return color | pixel;
    default:
        return color & pixel;
    }
}

bool CombiningMode() {
    return Graph::CurrentWriteMode >= 1 && Graph::CurrentWriteMode <= 3;
}

// The colour of copy mode and mode 4, which draws the complemented index.
std::uint16_t PlainColor() {
    return Graph::CurrentWriteMode == 4 ? static_cast<std::uint16_t>(~Graph::CurrentColor)
                                        : Graph::CurrentColor;
}

void SetBoth(int x, int y, COLORREF color) {
    if (DrawToBitmap)
        SetPixelV(BitmapDC, x, y, color);
    if (DrawToScreen)
        SetPixelV(WinDC, x, y, color);
}

bool OutsideViewPort(int x, int y) {
    return x < Graph::StartXViewPort || x > Graph::StartXViewPort + Graph::ViewWidth ||
           y < Graph::StartYViewPort || y > Graph::StartYViewPort + Graph::ViewHeight;
}

// Clips an ordered run first..last along an axis of the viewport that reaches
// to limit, at a place across it that must lie within 0..acrossLimit
// (viewport-relative); false when nothing of the run is left.
bool ClipRun(std::int16_t& first, std::int16_t& last, std::int16_t limit, std::int16_t across,
             std::int16_t acrossLimit) {
    if (first > limit || last < 0 || across < 0 || across > acrossLimit)
        return false;
    first = std::max<std::int16_t>(first, 0);
    last = std::min(last, limit);
    return true;
}

// A solid pen of width 1 in the colour: cached for colours 0 to 15, made for
// this line only otherwise (the caller deletes it when Owned).
struct LinePen {
    HPEN Pen;
    bool Owned;
};

LinePen PenFor(std::uint16_t color) {
    if (color < 16) {
        if (!Pens[color])
            Pens[color] = CreatePen(PS_SOLID, 1, RgbOf(color));
        return {Pens[color], false};
    }
    return {CreatePen(PS_SOLID, 1, RgbOf(color)), true};
}

// Draws from (x1, y1) up to, not including, (x2, y2) on each target.
void PenLine(std::uint16_t color, int x1, int y1, int x2, int y2) {
    LinePen pen = PenFor(color);
    for (HDC dc : {DrawToBitmap ? BitmapDC : nullptr, DrawToScreen ? WinDC : nullptr}) {
        if (!dc)
            continue;
        HGDIOBJ previous = SelectObject(dc, pen.Pen);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SelectObject(dc, previous);
    }
    if (pen.Owned)
        DeleteObject(pen.Pen);
}

// Whether an index names an entry of the palette table that the palette
// calls may reach (GraphDrawing held).
bool PaletteIndexValid(std::int16_t colorNum) {
    return !Graph::DirectColor && colorNum >= 0 && colorNum < Graph::MaxColor && colorNum < PalSize;
}

} // namespace

COLORREF PaletteColor(std::uint16_t color) {
    return RgbOf(color);
}

void DirectPutPixel16Win32GUI(std::int16_t x, std::int16_t y) {
    WhileRunning([&] {
        if (CombiningMode())
            SetBoth(x, y, Combine(RgbOf(Graph::CurrentColor), GetPixel(BitmapDC, x, y)));
        else
            SetBoth(x, y, RgbOf(PlainColor()));
    });
}

void PutPixel16Win32GUI(std::int16_t x, std::int16_t y, std::uint16_t color) {
    x = Graph::Low16(x + Graph::StartXViewPort);
    y = Graph::Low16(y + Graph::StartYViewPort);
    if (Graph::ClipPixels && OutsideViewPort(x, y))
        return;
    WhileRunning([&] { SetBoth(x, y, RgbOf(color)); });
}

std::uint16_t GetPixel16Win32GUI(std::int16_t x, std::int16_t y) {
    x = Graph::Low16(x + Graph::StartXViewPort);
    y = Graph::Low16(y + Graph::StartYViewPort);
    // A point outside the viewport is not read; it reads as colour 0.
    if (Graph::ClipPixels && OutsideViewPort(x, y))
        return 0;
    std::uint16_t color = 0;
    const bool read = WhileRunning([&] {
        const COLORREF pixel = GetPixel(BitmapDC, x, y);
        color = GetPaletteEntry(GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
    });
    if (!read)
        Graph::GraphResult = Graph::GraphError;
    return color;
}

std::uint16_t GetPaletteEntry(std::uint16_t red, std::uint16_t green, std::uint16_t blue) {
    if (!GraphRunning)
        return 0;
    std::int32_t best = 0x7FFFFFFF;
    std::uint16_t result = 0;
    // The search covers the entries the table holds, which may be fewer than
    // the current mode's colour count when a second mode was set while the
    // window existed.
    for (std::int32_t i = 0; i < PalSize; ++i) {
        std::int32_t distance = std::abs(red - Pal[i].Red) + std::abs(green - Pal[i].Green) +
                                std::abs(blue - Pal[i].Blue);
        if (distance < best) {
            result = static_cast<std::uint16_t>(i);
            best = distance;
            if (distance == 0)
                break;
        }
    }
    return result;
}

void HLine16Win32GUI(std::int16_t x1, std::int16_t x2, std::int16_t y) {
    if (x2 < x1)
        std::swap(x1, x2);
    if (Graph::ClipPixels && !ClipRun(x1, x2, Graph::ViewWidth, y, Graph::ViewHeight))
        return;
    x1 = Graph::Low16(x1 + Graph::StartXViewPort);
    x2 = Graph::Low16(x2 + Graph::StartXViewPort);
    y = Graph::Low16(y + Graph::StartYViewPort);

    WhileRunning([&] {
        if (CombiningMode()) {
            const COLORREF color = RgbOf(Graph::CurrentColor);
            for (int x = x1; x <= x2; ++x) {
                COLORREF combined = Combine(color, GetPixel(BitmapDC, x, y));
                if (DrawToBitmap)
                    SetPixel(BitmapDC, x, y, combined);
                if (DrawToScreen)
                    SetPixel(WinDC, x, y, combined);
            }
            return;
        }
        const std::uint16_t color = PlainColor();
        if (x2 - x1 <= 2) {
            for (int x = x1; x <= x2; ++x)
                SetBoth(x, y, RgbOf(color));
            return;
        }
        PenLine(color, x1, y, x2 + 1, y);
    });
}

void VLine16Win32GUI(std::int16_t x, std::int16_t y1, std::int16_t y2) {
    if (!(y2 > y1))
        std::swap(y1, y2);
    if (Graph::ClipPixels && !ClipRun(y1, y2, Graph::ViewHeight, x, Graph::ViewWidth))
        return;
    x = Graph::Low16(x + Graph::StartXViewPort);
    y1 = Graph::Low16(y1 + Graph::StartYViewPort);
    y2 = Graph::Low16(y2 + Graph::StartYViewPort);

    if (Graph::CurrentWriteMode != 0) {
        // The other modes go pixel by pixel through the table's direct pixel
        // operation, each pixel under its own hold of the lock.
        for (int y = y1; y <= y2; ++y)
            Graph::DirectPutPixel(x, Graph::Low16(y));
        return;
    }
    WhileRunning([&] {
        if (y2 - y1 <= 2) {
            for (int y = y1; y <= y2; ++y)
                SetBoth(x, y, RgbOf(Graph::CurrentColor));
            return;
        }
        PenLine(Graph::CurrentColor, x, y1, x, y2 + 1);
    });
}

void SetRGBPaletteWin32GUI(std::int16_t colorNum, std::int16_t red, std::int16_t green,
                           std::int16_t blue) {
    bool set = false;
    WhileRunning([&] {
        if (!PaletteIndexValid(colorNum))
            return;
        Pal[colorNum] = {red, green, blue};
        // The next line in this colour makes a pen of the new colour.
        if (colorNum < 16 && Pens[colorNum]) {
            DeleteObject(Pens[colorNum]);
            Pens[colorNum] = nullptr;
        }
        set = true;
    });
    if (!set)
        Graph::GraphResult = Graph::GraphError;
}

void GetRGBPaletteWin32GUI(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                           std::int16_t& blue) {
    bool got = false;
    WhileRunning([&] {
        if (!PaletteIndexValid(colorNum))
            return;
        red = Pal[colorNum].Red;
        green = Pal[colorNum].Green;
        blue = Pal[colorNum].Blue;
        got = true;
    });
    if (!got)
        Graph::GraphResult = Graph::GraphError;
}

// Every mode has a single page.
void SetVisualWin32GUI(std::uint16_t) {}
void SetActiveWin32GUI(std::uint16_t) {}

} // namespace Win32Gui
