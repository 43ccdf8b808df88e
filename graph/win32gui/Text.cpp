// Text on the graph window.
//
// Bitmap-font text is put on the targets with block transfers of glyph
// bitmaps: white-on-black 8 × 8 bitmaps, one per character code and
// direction, built on first use and kept until the window is destroyed.
// Since a glyph carries no colour, colour 15 is one transfer that ORs white
// into the target (SRCPAINT), and every other colour two: the glyph's set
// pixels are cleared to black (DSna) and then painted with a brush of the
// colour (DPSao). Pixels between the strokes are never touched, so text is
// transparent, and a clip region equal to the viewport cuts the text at its
// edges whatever ClipPixels says. The whole string is drawn in one hold of
// GraphDrawing, so a repaint never shows half of it.
//
// Stroked text is drawn by the kernel through the Line slot, untranslated;
// each line takes the lock by itself.
#include "graph/win32gui/Win32Gui.h"

#include "graph/DefaultFont.h"
#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/Text.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

#include <array>

namespace Win32Gui {
namespace {

constexpr int GlyphSide = 8;
constexpr DWORD DSna = 0x00220326;
constexpr DWORD DPSao = 0x00EA02E9;
// The colour whose text is drawn in pure white, whatever its palette entry.
constexpr std::uint16_t WhiteTextColor = 15;

// A vertical glyph is the character turned a quarter turn anticlockwise, so
// that vertical text reads from bottom to top.
HBITMAP BuildGlyph(HDC memoryDC, std::uint8_t code, bool vertical) {
    HBITMAP glyph = CreateCompatibleBitmap(WinDC, GlyphSide, GlyphSide);
    if (!glyph)
        return nullptr;
    HGDIOBJ previous = SelectObject(memoryDC, glyph);
    const std::uint8_t* pixels = &Graph::DefaultFontData[code * GlyphSide * GlyphSide];
    for (int row = 0; row < GlyphSide; ++row) {
        for (int column = 0; column < GlyphSide; ++column) {
            const COLORREF color =
                pixels[row * GlyphSide + column] != 0 ? RGB(255, 255, 255) : RGB(0, 0, 0);
            if (vertical)
                SetPixelV(memoryDC, row, GlyphSide - 1 - column, color);
            else
                SetPixelV(memoryDC, column, row, color);
        }
    }
    SelectObject(memoryDC, previous);
    return glyph;
}

// One context that the text is drawn on, with what this call selected into
// it.
struct Target {
    HDC Dc = nullptr;
    HBRUSH Brush = nullptr;
    HGDIOBJ PreviousBrush = nullptr;
    HRGN Clip = nullptr;
};

void PutGlyph(HDC dc, int x, int y, int size, HDC memoryDC, DWORD rop) {
    if (size == 1)
        BitBlt(dc, x, y, GlyphSide, GlyphSide, memoryDC, 0, 0, rop);
    else
        StretchBlt(dc, x, y, GlyphSide * size, GlyphSide * size, memoryDC, 0, 0, GlyphSide,
                   GlyphSide, rop);
}

// Draws the text with its first cell at (x, y), viewport-relative; called
// with GraphDrawing held while the window exists. Returns how many glyph
// bitmaps could not be made.
int DrawGlyphs(std::int16_t x, std::int16_t y, const Graph::ShortString& text) {
    HDC memoryDC = CreateCompatibleDC(WinDC);
    if (!memoryDC)
        return 0;

    const bool colored = Graph::CurrentColor != WhiteTextColor;
    const COLORREF color = colored ? PaletteColor(Graph::CurrentColor) : 0;
    const int left = Graph::StartXViewPort;
    const int top = Graph::StartYViewPort;
    std::array<Target, 2> targets{Target{DrawToScreen ? WinDC : nullptr},
                                  Target{DrawToBitmap ? BitmapDC : nullptr}};
    for (Target& target : targets) {
        if (!target.Dc)
            continue;
        if (colored) {
            target.Brush = CreateSolidBrush(color);
            target.PreviousBrush = SelectObject(target.Dc, target.Brush);
        }
        target.Clip =
            CreateRectRgn(left, top, left + Graph::ViewWidth + 1, top + Graph::ViewHeight + 1);
        SelectClipRgn(target.Dc, target.Clip);
    }

    const int startX = Graph::Low16(x + left);
    const int startY = Graph::Low16(y + top);
    const int size = Graph::CurrentTextInfo.CharSize;
    const bool vertical = Graph::CurrentTextInfo.Direction != Graph::HorizDir;
    HBITMAP* cache = vertical ? BitmapFontVerticalCache : BitmapFontHorizonCache;
    int failures = 0;
    for (int i = 0; i < text.Length(); ++i) {
        const auto code = static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]);
        // A horizontal string runs right from the top-left corner of its
        // first cell; a vertical one runs up, its first cell ending on the
        // start point's row.
        const int cellX = vertical ? startX : startX + GlyphSide * size * i;
        const int cellY = vertical ? startY + 1 - GlyphSide * size * (i + 1) : startY;
        if (!cache[code]) {
            cache[code] = BuildGlyph(memoryDC, code, vertical);
            if (!cache[code]) {
                ++failures;
                continue;
            }
        }
        HGDIOBJ previous = SelectObject(memoryDC, cache[code]);
        for (const Target& target : targets) {
            if (!target.Dc)
                continue;
            if (colored) {
                PutGlyph(target.Dc, cellX, cellY, size, memoryDC, DSna);
                PutGlyph(target.Dc, cellX, cellY, size, memoryDC, DPSao);
            } else {
                PutGlyph(target.Dc, cellX, cellY, size, memoryDC, SRCPAINT);
            }
        }
        SelectObject(memoryDC, previous);
    }

    for (const Target& target : targets) {
        if (!target.Dc)
            continue;
        if (target.Brush) {
            SelectObject(target.Dc, target.PreviousBrush);
            DeleteObject(target.Brush);
        }
        SelectClipRgn(target.Dc, nullptr);
        DeleteObject(target.Clip);
    }
    DeleteDC(memoryDC);
    return failures;
}

} // namespace

void OutTextXYWin32GUI(std::int16_t x, std::int16_t y, const Graph::ShortString& text) {
    if (!GraphRunning)
        return;
    Graph::AttributeSaver saver;
    Graph::CurrentWriteMode = 0;
    std::int32_t xPos = 0;
    std::int32_t yPos = 0;
    Graph::GetTextPosition(xPos, yPos, text);
    x = Graph::Low16(x - xPos);
    y = Graph::Low16(y + yPos);

    if (const Graph::TFontEntry* font = Graph::CurrentStrokedFont()) {
        Graph::DrawStrokedText(*font, x, y, text);
        return;
    }
    // Text that starts outside the viewport is not drawn at all.
    if (x < 0 || y < 0 || x > Graph::ViewWidth || y > Graph::ViewHeight)
        return;

    // The report is written once the lock is released: a failed write ends
    // the program with a run-time error, whose exit procedure closes
    // graphics and waits for the message thread, which needs the lock to
    // destroy the window.
    int failures = 0;
    WhileRunning([&] { failures = DrawGlyphs(x, y, text); });
    for (; failures > 0; --failures) {
        Runtime::WriteLn(Runtime::Output, "Could not create bitmap!");
        Runtime::IOCheck();
    }
}

} // namespace Win32Gui
