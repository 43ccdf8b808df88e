// What the tty console sends for the screen buffer: a run of cells is one
// cursor move, then each cell in its colours and its glyph in UTF-8.
#include "console/ScreenBuffer.h"
#include "console/tty/VtRenderer.h"

#include <gtest/gtest.h>

namespace {

// A run from column 3 of row 2: SGR 0 first in each cell's colours.
TEST(ConsoleRenderer, CellsAreSentInTheirColoursAsUnicodeGlyphs) {
    WinApi::VtRenderer renderer;
    WinApi::ScreenBuffer model(12, 6, &renderer);
    renderer.Finish(model.Cursor());
    // Light red on blue, yellow on black, light grey on light cyan.
    const CHAR_INFO cells[3] = {{{.AsciiChar = '\x03'}, 0x1C},
                                {{.AsciiChar = '\xDB'}, 0x0E},
                                {{.AsciiChar = '\xE1'}, 0xB7}};
    SMALL_RECT region{2, 1, 4, 1};
    model.Write(cells, {3, 1}, {0, 0}, region);
    EXPECT_EQ(renderer.Finish(model.Cursor())
                  .find("\x1b[2;3H"
                        "\x1b[0;91;44m\u2665"
                        "\x1b[0;93;40m\u2588"
                        "\x1b[0;37;106m\u00DF"),
              0u);
}

} // namespace
