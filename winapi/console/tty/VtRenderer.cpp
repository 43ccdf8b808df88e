#include "console/tty/VtRenderer.h"

#include "console/tty/Cp437.h"

#include <algorithm>
#include <cstdlib>

namespace WinApi {
namespace {

// Console colour bits are blue 1, green 2, red 4; a terminal's are red 1,
// green 2, blue 4.
int TerminalColour(int consoleColour) {
    return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
}

CellRect Bounds(const CellRect& a, const CellRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

} // namespace

std::string SgrParameters(WORD attributes) {
    const int foreground = attributes & 0x0F;
    const int background = (attributes >> 4) & 0x0F;
    constexpr int Intensity = 8;
    const int foregroundBase = (foreground & Intensity) ? 90 : 30;
    const int backgroundBase = (background & Intensity) ? 100 : 40;
    return "0;" + std::to_string(foregroundBase + TerminalColour(foreground)) + ";" +
           std::to_string(backgroundBase + TerminalColour(background));
}

void VtRenderer::CellsChanged(const ScreenBuffer& screen, const CellRect& area) {
    Paint(screen, area);
}

void VtRenderer::Scrolled(const ScreenBuffer& screen, const ScrollMove& move) {
    const CellRect& source = move.Source;
    const CellRect destination{move.ToX, move.ToY, move.ToX + source.Right - source.Left,
                               move.ToY + source.Bottom - source.Top};
    const CellRect& clip = move.Clip;
    const int lines = move.ToY - source.Top;
    const int width = screen.Width();
    const bool wholeRows = move.ToX == source.Left && source.Left == 0 &&
                           source.Right == width - 1 && clip.Left == 0 && clip.Right == width - 1;
    // The rows the terminal scrolls: those of source and destination inside
    // the clip, one unbroken band when they overlap or touch.
    const int top = std::max(clip.Top, std::min(source.Top, destination.Top));
    const int bottom = std::min(clip.Bottom, std::max(source.Bottom, destination.Bottom));
    const bool band = std::abs(lines) <= source.Bottom - source.Top + 1;
    if (wholeRows && lines != 0 && band && std::abs(lines) <= bottom - top) {
        ScrollRows(top, bottom, lines, screen.Height());
        // Rows whose content came from outside the band, and the source
        // rows left behind (now the fill), are painted from the model.
        for (int row = top; row <= bottom; ++row) {
            const bool moved = row >= destination.Top && row <= destination.Bottom &&
                               row - lines >= top && row - lines <= bottom;
            if (!moved)
                Paint(screen, {0, row, width - 1, row});
        }
        return;
    }
    Paint(screen, Intersect(clip, Bounds(source, Intersect(destination, screen.Whole()))));
}

void VtRenderer::Bell() {
    Out += '\a';
}

std::string VtRenderer::Finish(COORD cursor) {
    MoveTo(cursor.X, cursor.Y);
    if (Drawing != -1)
        Out += "\x1b[0m";
    // Other writers may use the terminal before the next call.
    AtX = AtY = Drawing = -1;
    std::string bytes;
    bytes.swap(Out);
    return bytes;
}

void VtRenderer::Paint(const ScreenBuffer& screen, const CellRect& area) {
    for (int y = area.Top; y <= area.Bottom; ++y) {
        MoveTo(area.Left, y);
        for (int x = area.Left; x <= area.Right; ++x) {
            const CHAR_INFO& cell = screen.At(x, y);
            const int attributes = cell.Attributes & 0xFF;
            if (attributes != Drawing) {
                Out += "\x1b[" + SgrParameters(cell.Attributes) + "m";
                Drawing = attributes;
            }
            AppendCp437AsUtf8(Out, static_cast<unsigned char>(cell.Char.AsciiChar));
            // A glyph in the last column leaves the terminal about to wrap,
            // a state best not relied on.
            AtX = x + 1 < screen.Width() ? x + 1 : -1;
        }
    }
}

void VtRenderer::MoveTo(int x, int y) {
    if (x == AtX && y == AtY)
        return;
    Out += "\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "H";
    AtX = x;
    AtY = y;
}

void VtRenderer::ScrollRows(int top, int bottom, int lines, int height) {
    // Margins confine the scroll to the band; index (ESC D) at its bottom
    // moves it up a line, reverse index (ESC M) at its top moves it down.
    const bool margins = top != 0 || bottom != height - 1;
    if (margins)
        Out += "\x1b[" + std::to_string(top + 1) + ";" + std::to_string(bottom + 1) + "r";
    AtX = AtY = -1;
    MoveTo(0, lines < 0 ? bottom : top);
    for (int i = 0; i < std::abs(lines); ++i)
        Out += lines < 0 ? "\x1b"
                           "D"
                         : "\x1b"
                           "M";
    if (margins)
        Out += "\x1b[r";
    // Setting or clearing margins sends the cursor home.
    AtX = AtY = -1;
}

} // namespace WinApi
