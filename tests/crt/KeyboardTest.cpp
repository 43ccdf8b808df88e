// The keyboard: the extended-code tables, the classification of key events
// into ordinary and special keys, the Alt + keypad decimal entry, and the
// pending second byte of a special key; and the line editor behind a console
// read: what each key does to the line and to the screen, and what the read
// hands over.
#include "CrtTestSupport.h"

#include <utility>
#include <variant>
#include <vector>

namespace {

using namespace CrtTest;

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

// One step of typing: some text, or one key.
using Step = std::variant<std::string, Key>;

class KeyboardTest : public CrtFixture {
protected:
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
};

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

// A console whose input can never come, as when its terminal has hung up.
class ConsoleWithoutInput : public WinApi::HeadlessConsole {
public:
    DWORD WaitInput(DWORD) override { return WAIT_FAILED; }
};

TEST_F(KeyboardTest, ALineEndsWithEnterWhenConsoleInputCanNeverCome) {
    Console = &StartOn(new ConsoleWithoutInput);
    EXPECT_EQ(Read({"ab"}), "ab\r\n");
    EXPECT_EQ(Shown(0), "ab");
}

} // namespace
