// The console through kernel32, on the headless console: which handles are
// console handles, the input queue and waiting on it, and the screen buffer:
// writing cells, scrolling, the cursor and processed output. Redirected
// standard handles and "CONOUT$" are left to the console terminal's tests.
#include "console/headless/HeadlessConsole.h"
#include "console/tty/TtyConsole.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
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

using Ints = std::vector<int>;

class ConsoleScreen : public testing::Test {
protected:
    void SetUp() override {
        Console = new WinApi::HeadlessConsole(Width, Height);
        WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(Console));
        Out = GetStdHandle(STD_OUTPUT_HANDLE);
        In = GetStdHandle(STD_INPUT_HANDLE);
    }
    // Later tests in this process find the console a process starts with.
    void TearDown() override { WinApi::SelectConsole(WinApi::MakeTtyConsole()); }

    void Write(const std::string& text, COORD size, COORD origin, SMALL_RECT& region,
               WORD attributes = 0x07) {
        std::vector<CHAR_INFO> cells;
        for (char c : text)
            cells.push_back({{.AsciiChar = c}, attributes});
        ASSERT_TRUE(WriteConsoleOutputA(Out, cells.data(), size, origin, &region));
    }
    void Fill() {
        SMALL_RECT all{0, 0, Width - 1, Height - 1};
        Write(Original(0) + Original(1) + Original(2) + Original(3) + Original(4), {Width, Height},
              {0, 0}, all);
    }
    void Print(const std::string& text, HANDLE to = nullptr) {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(to ? to : Out, text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr));
        EXPECT_EQ(written, text.size());
    }
    // The first rows, without their trailing blanks.
    Rows Screen(SHORT rows = Height) const {
        Rows screen;
        for (SHORT y = 0; y < rows; ++y) {
            std::string row = Console->Row(y);
            screen.push_back(row.erase(row.find_last_not_of(' ') + 1));
        }
        return screen;
    }

    WinApi::HeadlessConsole* Console = nullptr;
    HANDLE Out = nullptr, In = nullptr;
};

TEST_F(ConsoleScreen, StandardHandlesReachTheConsoleSelectedLast) {
    HANDLE firstOut = Out;
    SetUp();
    EXPECT_NE(Out, firstOut);
    EXPECT_EQ(GetFileType(In), static_cast<DWORD>(FILE_TYPE_CHAR));
    Print("out");
    Print("+err", GetStdHandle(STD_ERROR_HANDLE));
    EXPECT_EQ(Screen(1), Rows{"out+err"});
    Console->PressKey('Q', 0x10, 'q', 0);
    // The screen buffer is not an input buffer, nor the other way round, and
    // console input is taken as records, never with the file calls.
    DWORD count = 0;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    char byte = 0;
    EXPECT_FALSE(GetNumberOfConsoleInputEvents(Out, &count));
    EXPECT_FALSE(GetConsoleScreenBufferInfo(In, &info));
    EXPECT_FALSE(ReadFile(In, &byte, 1, &count, nullptr));
    EXPECT_FALSE(WriteFile(In, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(GetNumberOfConsoleInputEvents(In, &count));
    EXPECT_EQ(count, 2u);
}

TEST_F(ConsoleScreen, InputWaitsKeepTheirLimitAndReadingAnEmptyQueueWaitsForTheUser) {
    EXPECT_EQ(WaitForSingleObject(In, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    auto pressLater = [this](char c) {
        return std::thread([this, c] {
            Sleep(30);
            Console->PressKey(c - 'a' + 'A', 0x2C, c, 0);
        });
    };
    std::thread user = pressLater('z');
    EXPECT_EQ(WaitForSingleObject(In, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    user.join();
    // Waiting takes nothing from the queue.
    EXPECT_EQ(WaitForSingleObject(In, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(Console->PendingInput(), 2u);
    // Records come in order, as many as asked for and are there.
    Console->PushInput({FOCUS_EVENT, {}});
    INPUT_RECORD records[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleInputA(In, records, 4, &read));
    ASSERT_EQ(read, 3u);
    EXPECT_TRUE(records[0].Event.KeyEvent.bKeyDown && !records[1].Event.KeyEvent.bKeyDown);
    EXPECT_EQ(records[1].Event.KeyEvent.uChar.AsciiChar, 'z');
    EXPECT_EQ(records[2].EventType, FOCUS_EVENT);
    user = pressLater('y');
    ASSERT_TRUE(ReadConsoleInputA(In, records, 1, &read));
    user.join();
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(records[0].Event.KeyEvent.uChar.AsciiChar, 'y');
}

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
        SetUp();
        // The array is "ABCDE" over "FGHIJ" in light cyan on blue.
        SMALL_RECT region = test.Region;
        Write("ABCDEFGHIJ", {5, 2}, test.ArrayOrigin, region, 0x1B);
        const SMALL_RECT& w = test.Written;
        EXPECT_EQ(Ints({region.Left, region.Top, region.Right, region.Bottom}),
                  Ints({w.Left, w.Top, w.Right, w.Bottom}));
        EXPECT_EQ(Screen(3), (Rows{test.Expected[0], test.Expected[1], ""}));
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
    const CHAR_INFO filler{{.AsciiChar = '#'}, 0x2A};
    for (const auto& test : cases) {
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

TEST_F(ConsoleScreen, ProcessedOutputTreatsControlCharactersAsTheConsoleDoes) {
    struct {
        COORD Start;
        std::string Text;
        Rows Expected; // rows 0 and 1
        Ints Cursor;
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
        SetUp();
        Console->SetCursorPosition(test.Start);
        Print(test.Text);
        EXPECT_EQ(Screen(2), test.Expected);
        EXPECT_EQ(Ints({Console->CursorPosition().X, Console->CursorPosition().Y}), test.Cursor);
    }
}

TEST_F(ConsoleScreen, OutputAtTheBottomScrollsWithABlankLineInTheCurrentAttributes) {
    Fill();
    Console->SetAttributes(0x5E);
    Console->SetCursorPosition({0, Height - 1});
    Print("new\n");
    EXPECT_EQ(Screen(),
              (Rows{Original(1), Original(2), Original(3), "new" + Original(4).substr(3), ""}));
    EXPECT_EQ(Console->Cell(0, Height - 1).Attributes, 0x5E);
    EXPECT_EQ(Console->Cell(3, Height - 2).Attributes, 0x07);
    // The bottom-right cell wraps at once, and so scrolls at once.
    Console->SetCursorPosition({Width - 1, Height - 1});
    Print("Z");
    EXPECT_EQ(Console->Cell(Width - 1, Height - 2).Char.AsciiChar, 'Z');
    EXPECT_EQ(Screen().back(), "");
    EXPECT_EQ(Ints({Console->CursorPosition().X, Console->CursorPosition().Y}),
              Ints({0, Height - 1}));
}

} // namespace
