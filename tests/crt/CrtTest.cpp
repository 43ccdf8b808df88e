// The console terminal on a headless console, a fresh one for each case with
// the runtime's standard files and the console terminal started on it, and
// keys as the console reports them. Output: glyphs and control characters,
// wrapping and scrolling, line removal, the start-up measures and the
// remembered cursor; standard handles that are not the console, in a child
// process whose standard handles are its own pipes. The keyboard: the
// extended-code tables, the classification of key events into ordinary and
// special keys, the Alt + keypad decimal entry, and the pending second byte
// of a special key. The line editor behind a console read: what each key does
// to the line and to the screen, and what the read hands over.
#include "crt/Crt.h"
#include "console/headless/HeadlessConsole.h"
#include "crt/ConsoleDevice.h"
#include "crt/Keyboard.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

struct Key {
    WORD VirtualKey;
    WORD ScanCode;
    CHAR Ascii;
    DWORD State = 0;
};

const Key Enter{0x0D, 0x1C, '\r'}, Backspace{0x08, 0x0E, '\b'}, Escape{0x1B, 0x01, 27},
    Left{0x25, 0x4B, 0, ENHANCED_KEY}, Right{0x27, 0x4D, 0, ENHANCED_KEY},
    Home{0x24, 0x47, 0, ENHANCED_KEY}, End{0x23, 0x4F, 0, ENHANCED_KEY}, F1{0x70, 0x3B, 0},
    CtrlS{'S', 0x1F, 19, LEFT_CTRL_PRESSED}, CtrlY{'Y', 0x15, 25, LEFT_CTRL_PRESSED},
    CtrlZ{'Z', 0x2C, 26, LEFT_CTRL_PRESSED};

// A character typed without modifiers; the editor looks only at the character.
Key Typed(char c) {
    return Key{static_cast<WORD>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c), 0, c};
}

INPUT_RECORD KeyRecord(bool down, const Key& key) {
    return {KEY_EVENT,
            {{down, 1, key.VirtualKey, key.ScanCode, {.AsciiChar = key.Ascii}, key.State}}};
}

// Selects a headless console and starts the runtime core and the console
// terminal on it, with no key pending.
WinApi::HeadlessConsole& StartConsole(SHORT width = 80, SHORT height = 25, COORD cursor = {0, 0},
                                      WORD attributes = 0x07) {
    auto* console = new WinApi::HeadlessConsole(width, height);
    console->SetCursorPosition(cursor);
    console->SetAttributes(attributes);
    WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(console));
    Runtime::InOutRes = 0;
    Runtime::InitFinal.Entries[0].Initialization();
    Crt::ScanCode = 0;
    Crt::SpecialKey = false;
    Crt::InitializeCrt();
    return *console;
}

// One step of typing: some text, or one key.
using Step = std::variant<std::string, Key>;

class CrtFixture : public ::testing::Test {
protected:
    void SetUp() override { Console = &StartConsole(); }

    void Press(const Key& key) {
        Console->PressKey(key.VirtualKey, key.ScanCode, key.Ascii, key.State);
    }
    void Type(const std::string& text) {
        for (char c : text)
            Press(Typed(c));
    }
    // Row y without its trailing blanks.
    std::string Shown(SHORT y) const {
        std::string row = Console->Row(y);
        return row.erase(row.find_last_not_of(' ') + 1);
    }

    int CharAt(SHORT x, SHORT y) const {
        return static_cast<std::uint8_t>(Console->Cell(x, y).Char.AsciiChar);
    }
    void WriteAt(std::int32_t x, std::int32_t y, char c) {
        Crt::CurrX = x;
        Crt::CurrY = y;
        Crt::WriteChar(c);
    }
    // Types the steps, then reads one line; returns what the read handed
    // over, line end included.
    std::string Read(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (const Key* key = std::get_if<Key>(&step))
                Press(*key);
            else
                Type(std::get<std::string>(step));
        }
        Crt::CrtRead(Runtime::Input);
        EXPECT_EQ(Runtime::Input.BufPos, 0);
        return std::string(Runtime::Input.BufPtr, static_cast<std::size_t>(Runtime::Input.BufEnd));
    }
    // Queues the events, a focus event and a closing '~', and returns the key
    // bytes ReadKey gives before the '~'. ReadKey alone is what the line
    // editor uses.
    std::vector<int> KeysFrom(const std::vector<INPUT_RECORD>& events) {
        for (const INPUT_RECORD& event : events)
            Console->PushInput(event);
        Console->PushInput({FOCUS_EVENT, {}});
        Press(Typed('~'));
        std::vector<int> keys;
        for (int key; (key = static_cast<std::uint8_t>(Crt::ReadKey())) != '~';) {
            keys.push_back(key);
            // The second byte of a special key is pending, and reads no event.
            if (key == 0 && Crt::ScanCode != 0) {
                const std::size_t pending = Console->PendingInput();
                EXPECT_TRUE(Crt::KeyPressed());
                EXPECT_EQ(Console->PendingInput(), pending);
            }
        }
        EXPECT_FALSE(Crt::KeyPressed());
        return keys;
    }

    WinApi::HeadlessConsole* Console = nullptr;
};
using ConsoleOutputTest = CrtFixture;
using KeyboardTest = CrtFixture;

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

constexpr DWORD Alt = LEFT_ALT_PRESSED, Ctrl = LEFT_CTRL_PRESSED, Shift = SHIFT_PRESSED;

// A row maps a run of scan codes to consecutive codes: a run's two ends and
// an inner code, checked by hand against the key-code notes, and neighbours
// that no row lists (they keep their scan code), as {scan code, result} for
// each modifier state.
using Codes = std::vector<std::pair<std::uint16_t, int>>;
// clang-format off
const std::pair<DWORD, Codes> RemapCases[] = {
    {Alt, {{2, 120}, {11, 129}, {13, 131}, {1, 1}, {14, 14}, {28, 166}, {53, 164}, {74, 74},
           {76, 76}, {78, 78}, {83, 163}, {84, 84}, {30, 30}}},
    {Ctrl, {{15, 148}, {55, 150}, {68, 103}, {71, 119}, {78, 78}, {83, 147}, {88, 138}, {2, 2}}},
    {Shift, {{59, 84}, {68, 93}, {87, 135}, {71, 71}}},
    {0, {{87, 133}, {88, 134}, {59, 59}}},
    // The first held of Alt, Ctrl and Shift chooses, either side of the keyboard.
    {RIGHT_ALT_PRESSED | Ctrl | Shift, {{59, 104}}}, {RIGHT_CTRL_PRESSED | Shift, {{87, 137}}},
    // The whole scan code is looked up; the result is its low byte.
    {Alt, {{0x0102, 0x02}}}, {0, {{0x1234, 0x34}}},
};
// clang-format on

TEST(RemapScanCode, GivesEachTableRowsCodeAndKeepsUnlistedScanCodes) {
    Crt::DoingNumChars = false;
    for (const auto& [state, codes] : RemapCases)
        for (auto [scan, result] : codes)
            EXPECT_EQ(Crt::RemapScanCode(scan, state, 0), result)
                << "scan " << scan << " state " << state;
    EXPECT_FALSE(Crt::DoingNumChars) << "only keypad digits enter a code";
}

const struct {
    const char* Name;
    Key Pressed;
    std::vector<int> Keys;
} ClassifyCases[] = {
    {"F1", {0x70, 59, 0}, {0, 59}},
    {"Alt+F12", {0x7B, 88, 0, Alt}, {0, 140}},
    {"Ctrl+Left", {0x25, 75, 0, Ctrl | ENHANCED_KEY}, {0, 115}},
    {"Ctrl+keypad plus", {0x6B, 78, 0, Ctrl}, {0, 78}},
    {"keypad Enter", {0x0D, 28, '\r', ENHANCED_KEY}, {13}},
    {"Ctrl+S", {'S', 0x1F, 19, Ctrl}, {19}},
    {"left Alt+a", {'A', 30, 'a', Alt}, {0, 30}},
    {"right Alt+q", {'Q', 16, 'q', RIGHT_ALT_PRESSED}, {'q'}},
    {"keypad slash", {0x6F, 53, '/', ENHANCED_KEY}, {0, 53}},
    {"x", {'X', 45, 'x'}, {'x'}},
    {"a special key of code 0", {0xFF, 0, 0}, {0}},
    {"Shift", {0x10, 42, 0, Shift}, {}},
    {"Caps Lock", {0x14, 58, 0}, {}},
    {"Num Lock", {0x90, 69, 0, ENHANCED_KEY}, {}},
    {"Shift in the low byte", {0x0110, 42, 0}, {}},
};

TEST_F(KeyboardTest, ClassifiesEachKeyAsOrdinarySpecialOrNone) {
    for (const auto& c : ClassifyCases)
        EXPECT_EQ(KeysFrom({KeyRecord(true, c.Pressed), KeyRecord(false, c.Pressed)}), c.Keys)
            << c.Name;
}

TEST_F(KeyboardTest, AltWithKeypadDigitsGivesTheCodeWhenAltIsReleased) {
    constexpr WORD KeypadScan[10] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};
    const struct {
        DWORD Alt;
        std::vector<int> Digits, Keys;
        bool Open; // DoingNumChars afterwards
    } cases[] = {
        {Alt, {6, 5}, {65}, false},
        {Alt, {3, 0, 0}, {44}, false},
        {Alt, {2, 5, 6}, {}, true}, // wraps to 0: no key, and the entry stays open
        // With their characters, right-Alt digits take the ordinary path: no
        // digit is collected, yet each is swallowed.
        {RIGHT_ALT_PRESSED, {6, 5}, {}, false},
    };
    for (const auto& c : cases) {
        Crt::DoingNumChars = false;
        Crt::DoingNumCode = 0;
        std::vector<INPUT_RECORD> events{KeyRecord(true, {0x12, 56, 0, c.Alt})};
        for (int d : c.Digits) {
            const Key digit{static_cast<WORD>(0x60 + d), KeypadScan[d], static_cast<CHAR>('0' + d),
                            c.Alt | NUMLOCK_ON};
            events.push_back(KeyRecord(true, digit));
            events.push_back(KeyRecord(false, digit));
        }
        events.push_back(KeyRecord(false, {0x12, 56, 0, NUMLOCK_ON}));
        EXPECT_EQ(KeysFrom(events), c.Keys) << c.Digits.size() << " digits";
        EXPECT_EQ(Crt::DoingNumChars, c.Open);
        EXPECT_EQ(Crt::DoingNumCode, 0);
    }
}

struct EditCase {
    const char* Name;
    std::vector<Step> Steps;
    std::string Line;
    std::string Screen; // row 0 without trailing blanks
    bool CheckEof = false;
};

const EditCase EditCases[] = {
    {"typing after Left, Left overwrites", {"abcd", Left, Left, "X", Enter}, "abXd\r\n", "abXd"},
    // Backspace erases only at the end of the line; Ctrl+S is backspace.
    {"backspace", {"abc", Left, Backspace, End, Backspace, CtrlS, "d", Enter}, "ad\r\n", "ad"},
    // Left stops at the start, Right at the end, and Right steps over a character.
    {"moves", {"abc", Home, Left, Right, "X", End, Right, "Y", Enter}, "aXcY\r\n", "aXcY"},
    {"Esc and Ctrl+Y erase the line", {"abc", Escape, "x", CtrlY, "de", Enter}, "de\r\n", "de"},
    // Erasing backs up from the end of the line while the cursor stands two to
    // the left: the screen keeps what lay right of the cursor.
    {"Esc away from the end", {"abc", Left, Left, Escape, Enter}, "\r\n", " bc"},
    // Ctrl+Z and unknown special keys are ignored.
    {"ignored", {"a", F1, "b", CtrlZ, "c", Enter}, "abc\r\n", "abc"},
    // The read ends at once, without echo, the cursor after the line.
    {"Ctrl+Z with CheckEOF set", {"ab", CtrlZ}, "ab\x1A", "ab", true},
};

TEST_F(KeyboardTest, EachKeyEditsTheLineAndTheScreenAsTheEditorDefines) {
    for (const EditCase& c : EditCases) {
        Console = &StartConsole();
        Crt::CheckEOF = c.CheckEof;
        EXPECT_EQ(Read(c.Steps), c.Line) << c.Name;
        EXPECT_EQ(Shown(0), c.Screen) << c.Name;
        // Enter echoes CR LF.
        EXPECT_EQ(std::pair(int{Console->CursorPosition().X}, int{Console->CursorPosition().Y}),
                  c.CheckEof ? std::pair(2, 0) : std::pair(0, 1))
            << c.Name;
    }
    Crt::CheckEOF = false;
}

TEST_F(KeyboardTest, AcceptsAt254CharactersWhileEditingKeysStillWork) {
    std::string line =
        Read({std::string(256, 'x').c_str(), "y", Backspace, "z", "w", Left, "q", Enter});
    EXPECT_EQ(line, std::string(253, 'x') + "q\r\n");
    for (SHORT y = 0; y < 3; ++y)
        EXPECT_EQ(Console->Row(y), std::string(80, 'x'));
    EXPECT_EQ(Shown(3), std::string(13, 'x') + 'q');
    EXPECT_EQ(Console->CursorPosition().Y, 4);
}

TEST_F(KeyboardTest, EscOnAWrappedLineErasesTheBufferButStopsAtTheRowsLeftEdge) {
    Console = &StartConsole(80, 25, COORD{75, 0});
    EXPECT_EQ(Read({"helloworld", Escape, Enter}), "\r\n");
    EXPECT_EQ(Console->Row(0), std::string(75, ' ') + "hello");
    EXPECT_EQ(Shown(1), "");
}

} // namespace
