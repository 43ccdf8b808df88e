// The console screen buffer through kernel32, on the headless console:
// writing cells, scrolling, the cursor and processed output.
#include "console/headless/HeadlessConsole.h"
#include "console/tty/TtyConsole.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr SHORT Width = 20;
constexpr SHORT Height = 5;
using Rows = std::vector<std::string>;

// Letters in reading order: every row, and every column of a row, differs.
std::string Original(int y) {
    std::string row;
    for (int x = 0; x < Width; ++x)
        row += static_cast<char>('A' + (y * Width + x) % 26);
    return row;
}

std::string Padded(std::string text) {
    text.resize(Width, ' ');
    return text;
}

CHAR_INFO Cell(char glyph, WORD attributes) {
    CHAR_INFO cell{};
    cell.Char.AsciiChar = glyph;
    cell.Attributes = attributes;
    return cell;
}

std::tuple<SHORT, SHORT, SHORT, SHORT> Edges(const SMALL_RECT& rect) {
    return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

class ConsoleScreen : public testing::Test {
protected:
    void SetUp() override {
        Console = new WinApi::HeadlessConsole(Width, Height);
        WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(Console));
        Out = GetStdHandle(STD_OUTPUT_HANDLE);
    }
    // Later tests in this process find the console a process starts with.
    void TearDown() override { WinApi::SelectConsole(WinApi::MakeTtyConsole()); }

    void Write(const std::string& text, COORD size, COORD origin, SMALL_RECT& region,
               WORD attributes = 0x07) {
        std::vector<CHAR_INFO> cells(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            cells[i] = Cell(text[i], attributes);
        ASSERT_TRUE(WriteConsoleOutputA(Out, cells.data(), size, origin, &region));
    }
    void Fill() {
        SMALL_RECT all{0, 0, Width - 1, Height - 1};
        Write(Original(0) + Original(1) + Original(2) + Original(3) + Original(4), {Width, Height},
              {0, 0}, all);
    }
    void Print(const std::string& text) {
        DWORD written = 0;
        ASSERT_TRUE(
            WriteFile(Out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        EXPECT_EQ(written, text.size());
    }
    Rows Screen(SHORT rows = Height) const {
        Rows screen;
        for (SHORT y = 0; y < rows; ++y)
            screen.push_back(Console->Row(y));
        return screen;
    }

    WinApi::HeadlessConsole* Console = nullptr;
    HANDLE Out = nullptr;
};

TEST_F(ConsoleScreen, WrittenCellsAreClippedToBufferAndArrayAndTheRegionSaysWhere) {
    struct {
        SMALL_RECT Region;
        COORD ArrayOrigin;
        SMALL_RECT Written; // right of left and above top: nothing written
        Rows Expected;
    } const cases[] = {
        {{18, 1, 22, 1}, {0, 0}, {18, 1, 19, 1}, {"", std::string(18, ' ') + "AB"}},
        {{-2, 0, 2, 0}, {0, 0}, {0, 0, 2, 0}, {"CDE", ""}},
        {{3, -1, 4, 3}, {0, 0}, {3, 0, 4, 0}, {"   FG", ""}},
        {{0, 0, 9, 3}, {0, 0}, {0, 0, 4, 1}, {"ABCDE", "FGHIJ"}},
        {{0, 0, 9, 0}, {3, 1}, {0, 0, 1, 0}, {"IJ", ""}},
        {{Width, 0, Width + 1, 0}, {0, 0}, {Width, 0, Width - 1, -1}, {"", ""}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(Edges(test.Region)));
        SetUp();
        // The array is "ABCDE" over "FGHIJ" in light cyan on blue.
        SMALL_RECT region = test.Region;
        Write("ABCDEFGHIJ", {5, 2}, test.ArrayOrigin, region, 0x1B);
        EXPECT_EQ(Edges(region), Edges(test.Written));
        EXPECT_EQ(Screen(3),
                  (Rows{Padded(test.Expected[0]), Padded(test.Expected[1]), Padded("")}));
        for (SHORT x = 0; x < Width; ++x)
            EXPECT_EQ(Console->Cell(x, 0).Attributes,
                      Console->Cell(x, 0).Char.AsciiChar == ' ' ? 0x07 : 0x1B);
        EXPECT_EQ(Console->CellWrites(), 1);
    }
}

TEST_F(ConsoleScreen, ScrollMovesTheSourceAndFillsWhatItLeftOnlyInsideTheClip) {
    const std::string a = Original(0), b = Original(1), c = Original(2), d = Original(3),
                      e = Original(4), fill(Width, '#');
    const SMALL_RECT all{0, 0, Width - 1, Height - 1};
    struct {
        SMALL_RECT Source;
        SMALL_RECT Clip;
        COORD Destination;
        Rows Expected;
    } const cases[] = {
        {all, all, {0, -1}, {b, c, d, e, fill}},
        // A text window of rows 1 to 3 losing its first line.
        {{0, 1, Width - 1, 3}, {0, 1, Width - 1, 3}, {0, 0}, {a, c, d, fill, e}},
        {{0, 0, Width - 1, 1}, all, {0, 2}, {fill, fill, a, b, e}},
        {{0, 0, 4, 0}, {0, 0, 5, 0}, {2, 0}, {"##" + a.substr(0, 4) + a.substr(6), b, c, d, e}},
        // Cut at the left edge: the destination moves with the source's cut.
        {{-2, 1, 2, 1},
         all,
         {5, 1},
         {a, "###" + b.substr(3, 4) + b.substr(0, 3) + b.substr(10), c, d, e}},
        {{0, 0, 3, 0}, {Width, 0, Width + 3, 0}, {0, 3}, {a, b, c, d, e}},
    };
    const CHAR_INFO filler = Cell('#', 0x2A);
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(Edges(test.Source)));
        SetUp();
        Fill();
        ASSERT_TRUE(
            ScrollConsoleScreenBufferA(Out, &test.Source, &test.Clip, test.Destination, &filler));
        EXPECT_EQ(Screen(), test.Expected);
        for (SHORT y = 0; y < Height; ++y)
            for (SHORT x = 0; x < Width; ++x)
                EXPECT_EQ(Console->Cell(x, y).Attributes, test.Expected[y][x] == '#' ? 0x2A : 0x07);
        EXPECT_EQ(Console->Scrolls(), 1);
    }
    const SMALL_RECT outside{0, Height, Width - 1, Height + 2};
    EXPECT_FALSE(ScrollConsoleScreenBufferA(Out, &outside, nullptr, {0, 0}, &filler));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ConsoleScreen, CursorMovesOnlyInsideTheBufferAndTheInfoReportsIt) {
    Console->SetAttributes(0x1F);
    ASSERT_TRUE(SetConsoleCursorPosition(Out, {Width - 1, Height - 1}));
    for (COORD outside : {COORD{Width, 0}, COORD{0, Height}, COORD{-1, 2}, COORD{3, -1}}) {
        EXPECT_FALSE(SetConsoleCursorPosition(Out, outside));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(Console->CursorMoves(), 5);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(Out, &info));
    EXPECT_EQ(
        Edges({info.dwCursorPosition.X, info.dwCursorPosition.Y, info.dwSize.X, info.dwSize.Y}),
        Edges({Width - 1, Height - 1, Width, Height}));
    EXPECT_EQ(info.wAttributes, 0x1F);
    EXPECT_EQ(Edges(info.srWindow), Edges({0, 0, Width - 1, Height - 1}));
}

TEST_F(ConsoleScreen, ProcessedOutputTreatsControlCharactersAsTheConsoleDoes) {
    struct {
        COORD Start;
        std::string Text;
        Rows Expected; // rows 0 and 1
        COORD Cursor;
    } const cases[] = {
        {{0, 0}, "ab\rc", {"cb", ""}, {1, 0}},
        {{3, 0}, "ab\ncd", {"   ab", "cd"}, {2, 1}}, // LF returns too
        {{0, 0}, "abc\b\bX", {"aXc", ""}, {2, 0}},   // BS does not erase
        {{0, 1}, "\b\bX", {"", "X"}, {1, 1}},        // nor leave the row
        {{0, 0}, "a\ab", {"ab", ""}, {2, 0}},        // BEL leaves no cell
        {{0, 0}, "a\tb\tc", {"a       b       c", ""}, {17, 0}},
        {{17, 0}, "\tx", {"", "x"}, {1, 1}}, // the last stop wraps
        {{18, 0}, "abc", {std::string(18, ' ') + "ab", "c"}, {1, 1}},
        {{0, 0}, "\x01\x0b\x0c\x1b", {"\x01\x0b\x0c\x1b", ""}, {4, 0}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.Text));
        SetUp();
        Console->SetCursorPosition(test.Start);
        Print(test.Text);
        EXPECT_EQ(Screen(2), (Rows{Padded(test.Expected[0]), Padded(test.Expected[1])}));
        EXPECT_EQ(Edges({Console->CursorPosition().X, Console->CursorPosition().Y, 0, 0}),
                  Edges({test.Cursor.X, test.Cursor.Y, 0, 0}));
    }
}

TEST_F(ConsoleScreen, OutputAtTheBottomScrollsWithABlankLineInTheCurrentAttributes) {
    Fill();
    Console->SetAttributes(0x5E);
    Console->SetCursorPosition({0, Height - 1});
    Print("new\n");
    EXPECT_EQ(Screen(), (Rows{Original(1), Original(2), Original(3), "new" + Original(4).substr(3),
                              Padded("")}));
    EXPECT_EQ(Console->Cell(0, Height - 1).Attributes, 0x5E);
    EXPECT_EQ(Console->Cell(3, Height - 2).Attributes, 0x07);
    // The bottom-right cell wraps at once, and so scrolls at once.
    Console->SetCursorPosition({Width - 1, Height - 1});
    Print("Z");
    EXPECT_EQ(Console->Cell(Width - 1, Height - 2).Char.AsciiChar, 'Z');
    EXPECT_EQ(Console->Row(Height - 1), Padded(""));
    EXPECT_EQ(Edges({Console->CursorPosition().X, Console->CursorPosition().Y, 0, 0}),
              Edges({0, Height - 1, 0, 0}));
}

} // namespace
