// The keyboard: the extended-code tables, the classification of key events
// into ordinary and special keys, the Alt + keypad decimal entry, and the
// pending second byte of a special key.
#include "CrtTestSupport.h"

#include <utility>
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

class KeyboardTest : public CrtFixture {
protected:
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

} // namespace
