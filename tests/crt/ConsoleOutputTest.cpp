// The console text device's output: glyphs and control characters, wrapping
// and scrolling, line removal, the start-up measures and the remembered
// cursor; and the console terminal where standard handles are not the
// console, in a child process whose standard handles are its own pipes.
#include "CrtTestSupport.h"

#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace CrtTest;

class ConsoleOutputTest : public CrtFixture {
protected:
    int CharAt(SHORT x, SHORT y) const {
        return static_cast<std::uint8_t>(Console->Cell(x, y).Char.AsciiChar);
    }
    void WriteAt(std::int32_t x, std::int32_t y, char c) {
        Crt::CurrX = x;
        Crt::CurrY = y;
        Crt::WriteChar(c);
    }
};

TEST_F(ConsoleOutputTest, WriteCharShowsGlyphsAndActsOnlyOnBellBackspaceLineFeedAndReturn) {
    const struct {
        int Code, StartX, EndX, EndY; // the row starts at 3
        bool Shown;
    } cases[] = {
        {7, 5, 5, 3, false},  {8, 5, 4, 3, false},  {8, 1, 1, 3, false},  {10, 5, 5, 4, false},
        {13, 5, 1, 3, false}, {9, 5, 6, 3, true},   {11, 5, 6, 3, true},  {12, 5, 6, 3, true},
        {0, 5, 6, 3, true},   {'A', 5, 6, 3, true}, {255, 5, 6, 3, true},
    };
    for (const auto& c : cases) {
        Console = &StartConsole();
        Crt::TextAttr = 0x1E;
        WriteAt(c.StartX, 3, static_cast<char>(c.Code));
        EXPECT_EQ(std::make_pair(Crt::CurrX, Crt::CurrY), std::make_pair(c.EndX, c.EndY))
            << "code " << c.Code << " from column " << c.StartX;
        EXPECT_EQ(Console->CellWrites(), c.Shown ? 1 : 0);
        const SHORT x = static_cast<SHORT>(c.StartX - 1);
        EXPECT_EQ(CharAt(x, 2), c.Shown ? c.Code : ' ');
        EXPECT_EQ(Console->Cell(x, 2).Attributes, c.Shown ? 0x1E : 0x07);
    }
}

TEST_F(ConsoleOutputTest, WrapsAtTheLastColumnAndScrollsAtTheBottomRightCell) {
    WriteAt(80, 3, 'x');
    Crt::WriteChar('y');
    EXPECT_EQ(CharAt(79, 2), 'x');
    EXPECT_EQ(CharAt(0, 3), 'y');
    EXPECT_EQ(Console->Scrolls(), 0);

    Crt::TextAttr = 0x4F;
    WriteAt(1, 25, 'b');
    WriteAt(80, 25, 'z');
    EXPECT_EQ(Console->Scrolls(), 1);
    EXPECT_EQ(Shown(23), 'b' + std::string(78, ' ') + 'z');
    EXPECT_EQ(Console->Row(24), std::string(80, ' '));
    for (SHORT x = 0; x < 80; x += 79)
        EXPECT_EQ(Console->Cell(x, 24).Attributes, 0x4F);
    EXPECT_EQ(std::make_pair(Crt::CurrX, Crt::CurrY), std::make_pair(1, 25));

    // CR then LF on the bottom row scroll once more.
    WriteAt(10, 25, '\r');
    Crt::WriteChar('\n');
    EXPECT_EQ(Console->Scrolls(), 2);
    EXPECT_EQ(Crt::CurrY, 25);
}

TEST_F(ConsoleOutputTest, RemoveLineMovesTheLinesBelowUpAndBlanksTheBottomLine) {
    for (std::int32_t row = 1; row <= 25; ++row)
        WriteAt(1, row, static_cast<char>('a' + row - 1));
    Crt::TextAttr = 0x2A;
    Crt::RemoveLine(3);
    for (SHORT y = 0; y < 24; ++y)
        EXPECT_EQ(CharAt(0, y), 'a' + (y < 2 ? y : y + 1)) << "row " << y;
    EXPECT_EQ(Console->Row(24), std::string(80, ' '));
    EXPECT_EQ(Console->Cell(0, 24).Attributes, 0x2A);
}

TEST(ConsoleStartUp, PacksTheWindowCornerWithAHighByteOf255ForTallBuffers) {
    const struct {
        SHORT Width, Height;
        std::uint16_t WindMax;
    } cases[] = {
        {80, 25, 0x184F}, {40, 1, 0x0027}, {132, 256, 0xFF83}, {80, 257, 0xFF4F}, {80, 300, 0xFF4F},
    };
    for (const auto& c : cases) {
        StartConsole(c.Width, c.Height);
        EXPECT_EQ(Crt::WindMax, c.WindMax) << c.Width << " x " << c.Height;
        EXPECT_EQ(std::make_pair(Crt::WinMaxX, Crt::WinMaxY),
                  std::make_pair(int{c.Width}, int{c.Height}));
    }
}

TEST(ConsoleStartUp, OutputStartsAtTheConsoleCursorAndContinuesWhereItLeftOff) {
    auto& console = StartConsole(80, 25, COORD{7, 3}, 0x11E);
    EXPECT_EQ(Crt::LastMode, 3);
    EXPECT_EQ(Crt::TextAttr, 0x1E) << "the low byte of the attributes";
    Runtime::WriteLn(Runtime::Output, "hi");
    EXPECT_EQ(console.Row(3).substr(7, 3), "hi ");
    EXPECT_EQ(console.Cell(7, 3).Attributes, 0x1E);
    EXPECT_EQ(console.CursorMoves(), 1) << "one cursor move per buffer";
    EXPECT_EQ(console.CellWrites(), 2) << "one cell write per character";

    // Another writer moves the console's cursor; the device does not look.
    console.SetCursorPosition(COORD{40, 10});
    Runtime::WriteLn(Runtime::Output, "cd");
    EXPECT_EQ(console.Row(4).substr(0, 3), "cd ");
    EXPECT_EQ(console.Row(10), std::string(80, ' '));
    EXPECT_EQ(Runtime::InOutRes, 0);
}

// With standard output redirected the console itself shows output and echo.
// Standard input from a pipe has no console events: each byte is a key, a
// line end in any form is one Enter, and the end of the data is Enter too, so
// reads end instead of waiting.
TEST(CrtStartUp, RedirectedHandlesLeaveOutputOnTheConsoleAndGiveInputBytesAsKeys) {
    auto result = TestSupport::RunInChild(
        [] {
            // Started as the program's module table does; entry 4 says start-up got that far.
            auto* console = new WinApi::HeadlessConsole(80, 25);
            console->SetStandardHandlesAreConsole(false);
            WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(console));
            Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
            Runtime::InitFinal.Entries[4] = {[] { Runtime::WriteLn(Runtime::StdOut, "started"); },
                                             nullptr};
            Runtime::InitializeUnits();
            Runtime::WriteLn(Runtime::Output, "on the console");
            for (int line = 0; line < 6; ++line) {
                Crt::CrtRead(Runtime::Input);
                std::string text(Runtime::Input.BufPtr,
                                 static_cast<std::size_t>(Runtime::Input.BufEnd - 2));
                Runtime::WriteLn(Runtime::StdOut, "[" + text + "]");
            }
            Runtime::WriteLn(Runtime::StdOut, console->Row(0) + "|" + console->Row(1));
        },
        std::string("ab\bc\r\nd\n\re\0f", 12));
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "started\r\n[ac]\r\n[d]\r\n[]\r\n[ef]\r\n[]\r\n[]\r\n" +
                                 ("on the console" + std::string(66, ' ')) + "|" +
                                 ("ac" + std::string(78, ' ')) + "\r\n");
}

} // namespace
