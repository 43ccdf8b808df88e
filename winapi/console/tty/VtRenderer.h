// Shows the screen buffer model on a VT terminal: it hears each change of the
// model and appends the escape sequences and UTF-8 glyphs that make the
// terminal show the same, and Finish hands over everything for one write,
// with the terminal's cursor put back where the console cursor is.
//
// Attributes become SGR colours: foreground bits 0-2 (blue, green, red) pick
// one of the eight terminal colours 30-37, or 90-97 with the intensity bit 3;
// bits 4-7 do the same for the background with 40-47 and 100-107.
// A scroll of whole rows becomes a scroll of the terminal's rows inside
// margins, so that what was on the terminal moves along; other scrolls paint
// the cells again.
#pragma once

#include "console/ScreenBuffer.h"

#include <string>

namespace WinApi {

// The SGR parameters for a console attribute, "0;FG;BG".
std::string SgrParameters(WORD attributes);

class VtRenderer final : public ScreenView {
public:
    void CellsChanged(const ScreenBuffer& screen, const CellRect& area) override;
    void Scrolled(const ScreenBuffer& screen, const ScrollMove& move) override;
    void Bell() override;

    // The bytes for every change since the last call, ending with the cursor
    // at `cursor` and the terminal's colours reset.
    std::string Finish(COORD cursor);

private:
    void Paint(const ScreenBuffer& screen, const CellRect& area);
    void MoveTo(int x, int y);
    void ScrollRows(int top, int bottom, int lines, int height);

    std::string Out;
    // Where the terminal's cursor is and which attributes it draws with, as
    // far as the bytes in Out tell; -1 when unknown.
    int AtX = -1;
    int AtY = -1;
    int Drawing = -1;
};

} // namespace WinApi
