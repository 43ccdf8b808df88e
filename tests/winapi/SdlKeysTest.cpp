// The SDL desktop's key tables and character conversions: plain tables, no
// display needed.
#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL_keyboard.h>

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using WinApi::KeyCodes;
using WinApi::KeyFromScancode;

void ExpectKey(SDL_Scancode scancode, bool numLock, WORD virtualKey, WORD scanCode,
               bool extended) {
    KeyCodes codes = KeyFromScancode(scancode, numLock);
    EXPECT_EQ(codes.VirtualKey, virtualKey) << SDL_GetScancodeName(scancode);
    EXPECT_EQ(codes.ScanCode, scanCode) << SDL_GetScancodeName(scancode);
    EXPECT_EQ(codes.Extended, extended) << SDL_GetScancodeName(scancode);
}

TEST(SdlKeyTable, LettersAndDigitsHaveTheirCharacterAsVirtualKey) {
    ExpectKey(SDL_SCANCODE_A, false, 0x41, 0x1E, false);
    ExpectKey(SDL_SCANCODE_Z, false, 0x5A, 0x2C, false);
    ExpectKey(SDL_SCANCODE_1, false, 0x31, 0x02, false);
    ExpectKey(SDL_SCANCODE_9, false, 0x39, 0x0A, false);
    ExpectKey(SDL_SCANCODE_0, false, 0x30, 0x0B, false);
}

TEST(SdlKeyTable, LetterRowsRunInKeyboardOrder) {
    const std::pair<const char*, WORD> rows[] = {{"QWERTYUIOP", 0x10}, {"ASDFGHJKL", 0x1E},
                                                 {"ZXCVBNM", 0x2C}};
    for (const auto& [letters, first] : rows) {
        WORD scan = first;
        for (const char* letter = letters; *letter; ++letter, ++scan) {
            auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (*letter - 'A'));
            ExpectKey(scancode, false, static_cast<WORD>(*letter), scan, false);
        }
    }
}

TEST(SdlKeyTable, EditingKeysOfTheMainBlock) {
    ExpectKey(SDL_SCANCODE_RETURN, false, 0x0D, 0x1C, false);
    ExpectKey(SDL_SCANCODE_ESCAPE, false, 0x1B, 0x01, false);
    ExpectKey(SDL_SCANCODE_BACKSPACE, false, 0x08, 0x0E, false);
    ExpectKey(SDL_SCANCODE_TAB, false, 0x09, 0x0F, false);
    ExpectKey(SDL_SCANCODE_SPACE, false, 0x20, 0x39, false);
    ExpectKey(SDL_SCANCODE_SLASH, false, VK_OEM_2, 0x35, false);
    ExpectKey(SDL_SCANCODE_MINUS, false, VK_OEM_MINUS, 0x0C, false);
}

TEST(SdlKeyTable, CursorBlockKeysAreExtended) {
    ExpectKey(SDL_SCANCODE_LEFT, false, 0x25, 0x4B, true);
    ExpectKey(SDL_SCANCODE_UP, false, 0x26, 0x48, true);
    ExpectKey(SDL_SCANCODE_RIGHT, false, 0x27, 0x4D, true);
    ExpectKey(SDL_SCANCODE_DOWN, false, 0x28, 0x50, true);
    ExpectKey(SDL_SCANCODE_HOME, false, 0x24, 0x47, true);
    ExpectKey(SDL_SCANCODE_END, false, 0x23, 0x4F, true);
    ExpectKey(SDL_SCANCODE_PAGEUP, false, 0x21, 0x49, true);
    ExpectKey(SDL_SCANCODE_PAGEDOWN, false, 0x22, 0x51, true);
    ExpectKey(SDL_SCANCODE_INSERT, false, 0x2D, 0x52, true);
    ExpectKey(SDL_SCANCODE_DELETE, false, 0x2E, 0x53, true);
}

TEST(SdlKeyTable, FunctionKeys) {
    ExpectKey(SDL_SCANCODE_F1, false, 0x70, 0x3B, false);
    ExpectKey(SDL_SCANCODE_F10, false, 0x79, 0x44, false);
    ExpectKey(SDL_SCANCODE_F11, false, 0x7A, 0x57, false);
    ExpectKey(SDL_SCANCODE_F12, false, 0x7B, 0x58, false);
}

TEST(SdlKeyTable, KeypadDigitsFollowNumLock) {
    ExpectKey(SDL_SCANCODE_KP_5, true, VK_NUMPAD5, 0x4C, false);
    ExpectKey(SDL_SCANCODE_KP_5, false, VK_CLEAR, 0x4C, false);
    ExpectKey(SDL_SCANCODE_KP_0, true, VK_NUMPAD0, 0x52, false);
    ExpectKey(SDL_SCANCODE_KP_PERIOD, true, VK_DECIMAL, 0x53, false);
    // Without NumLock keypad 4 is Left, and unlike the cursor block's Left not extended.
    ExpectKey(SDL_SCANCODE_KP_4, false, VK_LEFT, 0x4B, false);
    ExpectKey(SDL_SCANCODE_KP_1, false, VK_END, 0x4F, false);
}

TEST(SdlKeyTable, KeypadOperatorsAndEnter) {
    ExpectKey(SDL_SCANCODE_KP_ENTER, false, 0x0D, 0x1C, true);
    ExpectKey(SDL_SCANCODE_KP_DIVIDE, true, VK_DIVIDE, 0x35, true);
    ExpectKey(SDL_SCANCODE_KP_MULTIPLY, true, VK_MULTIPLY, 0x37, false);
    ExpectKey(SDL_SCANCODE_KP_MINUS, true, VK_SUBTRACT, 0x4A, false);
    ExpectKey(SDL_SCANCODE_KP_PLUS, true, VK_ADD, 0x4E, false);
    ExpectKey(SDL_SCANCODE_NUMLOCKCLEAR, false, VK_NUMLOCK, 0x45, true);
}

TEST(SdlKeyTable, RightHandModifiersAreTheLeftOnesExtendedExceptShift) {
    ExpectKey(SDL_SCANCODE_LSHIFT, false, VK_SHIFT, 0x2A, false);
    ExpectKey(SDL_SCANCODE_RSHIFT, false, VK_SHIFT, 0x36, false);
    ExpectKey(SDL_SCANCODE_LCTRL, false, VK_CONTROL, 0x1D, false);
    ExpectKey(SDL_SCANCODE_RCTRL, false, VK_CONTROL, 0x1D, true);
    ExpectKey(SDL_SCANCODE_LALT, false, VK_MENU, 0x38, false);
    ExpectKey(SDL_SCANCODE_RALT, false, VK_MENU, 0x38, true);
}

TEST(SdlKeyTable, KeysWithoutAWindowsCounterpartHaveNoVirtualKey) {
    EXPECT_EQ(KeyFromScancode(SDL_SCANCODE_UNKNOWN, false).VirtualKey, 0);
    EXPECT_EQ(KeyFromScancode(SDL_SCANCODE_MUTE, false).VirtualKey, 0);
    EXPECT_EQ(KeyFromScancode(SDL_SCANCODE_AC_BACK, true).VirtualKey, 0);
}

TEST(SdlKeyTable, NoTwoKeysShareScanCodeAndExtendedFlag) {
    // The keypad's digits without NumLock share theirs with nothing either:
    // the cursor block's twins are extended.
    std::set<std::pair<WORD, bool>> seen;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        KeyCodes codes = KeyFromScancode(static_cast<SDL_Scancode>(scancode), false);
        if (codes.VirtualKey == 0 || scancode == SDL_SCANCODE_NONUSHASH)
            continue;
        EXPECT_TRUE(seen.insert({codes.ScanCode, codes.Extended}).second)
            << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST(SdlControlCharacters, EnterBackspaceTabAndEscape) {
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_RETURN, false), 0x0D);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_KP_ENTER, false), 0x0D);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_BACKSPACE, false), 0x08);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_TAB, false), 0x09);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_ESCAPE, false), 0x1B);
}

TEST(SdlControlCharacters, CtrlWithALetterIsItsPlaceInTheAlphabet) {
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_A, true), 0x01);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_C, true), 0x03);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_Z, true), 0x1A);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_LEFTBRACKET, true), 0x1B);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_RETURN, true), 0x0A);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_BACKSPACE, true), 0x7F);
}

TEST(SdlControlCharacters, PrintableKeysAreLeftToTextInput) {
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_A, false), 0);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_1, false), 0);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_SPACE, false), 0);
    EXPECT_EQ(WinApi::ControlCharacter(SDL_SCANCODE_F1, true), 0);
}

TEST(SdlTextConversion, TextInputBecomesAnsiBytes) {
    EXPECT_EQ(WinApi::AnsiFromUtf8("a"), "a");
    EXPECT_EQ(WinApi::AnsiFromUtf8("Ab1 ~"), "Ab1 ~");
    EXPECT_EQ(WinApi::AnsiFromUtf8("\xC3\xA9"), "\xE9");         // e acute
    EXPECT_EQ(WinApi::AnsiFromUtf8("\xE2\x82\xAC"), "\x80");     // euro sign
    EXPECT_EQ(WinApi::AnsiFromUtf8("\xE4\xB8\xAD" "x"), "x");    // no ANSI byte for it
    EXPECT_EQ(WinApi::AnsiFromUtf8("\x01\x7F\xC2\x85"), "");     // control characters
    EXPECT_EQ(WinApi::AnsiFromUtf8("\xC3" "a"), "a");            // cut short
}

TEST(SdlTextConversion, AnsiTitlesBecomeUtf8AndBack) {
    EXPECT_EQ(WinApi::Utf8FromAnsi("Plot"), "Plot");
    EXPECT_EQ(WinApi::Utf8FromAnsi("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(WinApi::Utf8FromAnsi("\x80"), "\xE2\x82\xAC");
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
            byte == 0x9D)
            continue;
        std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(WinApi::AnsiFromUtf8(WinApi::Utf8FromAnsi(one).c_str()), one) << byte;
    }
}

} // namespace
