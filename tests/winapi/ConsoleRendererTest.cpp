// What the tty console sends for the screen buffer, played on a small VT
// terminal: after any mix of writes, scrolls and cursor moves the terminal
// shows what the model holds, cell for cell, with the cursor in its place.
#include "console/ScreenBuffer.h"
#include "console/tty/Cp437.h"
#include "console/tty/VtRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// Just the sequences a VT terminal would act on here: CUP, SGR, DECSTBM,
// IND, RI and UTF-8 text, with the pending wrap of the last column. Each row
// shows its cells as "glyph{sgr}", the SGR parameters a cell was drawn with.
struct Terminal {
    using Row = std::vector<std::string>;
    int Width, Height, X = 0, Y = 0, Top = 0, Bottom;
    bool WrapPending = false;
    std::string Sgr;
    std::vector<Row> Rows;

    Terminal(int width, int height, const std::string& blank)
        : Width(width), Height(height), Bottom(height - 1), Rows(height, Row(width, blank)) {}

    void Index(int direction) {
        if (Y != (direction > 0 ? Bottom : Top)) {
            Y += direction;
            return;
        }
        Rows.erase(Rows.begin() + (direction > 0 ? Top : Bottom));
        Rows.insert(Rows.begin() + (direction > 0 ? Bottom : Top), Row(Width, " {}"));
    }

    void Play(const std::string& bytes) {
        for (size_t i = 0; i < bytes.size();) {
            if (bytes[i] == '\x1b' && bytes[i + 1] == '[') {
                size_t end = bytes.find_first_not_of("0123456789;", i + 2);
                const std::string parameters = bytes.substr(i + 2, end - i - 2);
                int first = 0, second = 0;
                std::sscanf(parameters.c_str(), "%d;%d", &first, &second);
                WrapPending = false;
                if (bytes[end] == 'H') {
                    std::tie(Y, X) = std::make_pair(first - 1, second - 1);
                } else if (bytes[end] == 'm') {
                    Sgr = parameters;
                } else if (bytes[end] == 'r') {
                    Top = parameters.empty() ? 0 : first - 1;
                    Bottom = parameters.empty() ? Height - 1 : second - 1;
                    X = Y = 0;
                } else {
                    ADD_FAILURE() << "unexpected sequence " << bytes.substr(i, end + 1 - i);
                }
                i = end + 1;
            } else if (bytes[i] == '\x1b') {
                Index(bytes[i + 1] == 'D' ? 1 : -1);
                WrapPending = false;
                i += 2;
            } else if (bytes[i] == '\a') {
                ++i;
            } else {
                size_t length = 1;
                while (i + length < bytes.size() && (bytes[i + length] & 0xC0) == 0x80)
                    ++length;
                if (std::exchange(WrapPending, false)) {
                    X = 0;
                    Index(1);
                }
                Rows[Y][X] = bytes.substr(i, length) + "{" + Sgr + "}";
                WrapPending = X == Width - 1;
                X += X < Width - 1;
                i += length;
            }
        }
    }
};

std::vector<Terminal::Row> Shown(const WinApi::ScreenBuffer& model) {
    std::vector<Terminal::Row> rows(model.Height());
    for (int y = 0; y < model.Height(); ++y)
        for (int x = 0; x < model.Width(); ++x) {
            std::string glyph;
            WinApi::AppendCp437AsUtf8(glyph,
                                      static_cast<unsigned char>(model.At(x, y).Char.AsciiChar));
            rows[y].push_back(glyph + "{" + WinApi::SgrParameters(model.At(x, y).Attributes) + "}");
        }
    return rows;
}

TEST(ConsoleRenderer, TheTerminalShowsWhatTheModelHoldsAfterAnyChanges) {
    constexpr int Width = 12, Height = 6;
    WinApi::VtRenderer renderer;
    WinApi::ScreenBuffer model(Width, Height, &renderer);
    Terminal terminal(Width, Height, " {" + WinApi::SgrParameters(model.Attributes()) + "}");
    std::mt19937 random(20240611);
    auto at = [&](int low, int high) {
        return static_cast<SHORT>(std::uniform_int_distribution<int>(low, high)(random));
    };
    for (int step = 0; step < 3000; ++step) {
        CHAR_INFO cell{};
        cell.Char.AsciiChar = static_cast<CHAR>(at(0, 255));
        cell.Attributes = static_cast<WORD>(at(0, 255));
        SMALL_RECT area{at(-3, Width - 1), at(-3, Height - 1), at(0, Width + 2), at(0, Height + 2)};
        SMALL_RECT clip{at(-1, Width - 1), at(-1, Height - 1), at(0, Width), at(0, Height)};
        COORD to{at(-3, Width), at(-3, Height)};
        if (at(0, 1)) { // whole rows: the scroll the terminal can do itself
            area.Left = clip.Left = to.X = 0;
            area.Right = clip.Right = Width - 1;
        }
        switch (at(0, 3)) {
        case 0: {
            std::string text;
            for (int i = at(1, 30); i > 0; --i)
                text += "ab\xdb\x01\r\n\b\t\a"[at(0, 8)];
            model.SetAttributes(cell.Attributes);
            model.WriteText(text.data(), text.size());
            break;
        }
        case 1: {
            std::vector<CHAR_INFO> cells(Width * Height, cell);
            model.Write(cells.data(), {Width, Height}, {0, 0}, area);
            break;
        }
        case 2:
            model.Scroll(area, at(0, 1) ? &clip : nullptr, to, cell);
            break;
        default:
            model.SetCursor(to);
            break;
        }
        terminal.Play(renderer.Finish(model.Cursor()));
        ASSERT_EQ(std::make_pair(terminal.X, terminal.Y),
                  std::make_pair(int{model.Cursor().X}, int{model.Cursor().Y}))
            << "step " << step;
        ASSERT_EQ(terminal.Rows, Shown(model)) << "step " << step;
    }
}

// The random test above renders both sides with the same mapping; this one
// checks the mapping: a run from column 3 of row 2 is one cursor move, then
// each cell with its colours (SGR 0 first) and its glyph in UTF-8.
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
