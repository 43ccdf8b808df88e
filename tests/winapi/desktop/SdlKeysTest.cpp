// The SDL desktop's key tables and the characters it makes for WM_CHAR: plain
// tables, no display needed.
#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL_keyboard.h>

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using WinApi::KeyCodes;
using WinApi::KeyFromScancode;

TEST(SdlKeyTable, KnownKeysHaveTheirVirtualKeyScanCodeAndExtendedFlag) {
    struct Row {
        SDL_Scancode Key;
        bool NumLock;
        WORD VirtualKey, ScanCode;
        bool Extended;
    };
    // Letters, Enter, the cursor block and keypad 5 with NumLock come through
    // the display in SdlDisplayTest; these are the keys it cannot press.
    const Row rows[] = {
        {SDL_SCANCODE_KP_5, false, VK_CLEAR, 0x4C, false},
        // Without NumLock keypad 4 is Left, and unlike the cursor block's Left not extended.
        {SDL_SCANCODE_KP_4, false, VK_LEFT, 0x4B, false},
        {SDL_SCANCODE_KP_ENTER, false, 0x0D, 0x1C, true},
        {SDL_SCANCODE_RCTRL, false, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_F1, false, 0x70, 0x3B, false},
        {SDL_SCANCODE_F12, false, 0x7B, 0x58, false},
        {SDL_SCANCODE_MUTE, false, 0, 0, false}, // no Windows counterpart
    };
    for (const Row& row : rows) {
        KeyCodes codes = KeyFromScancode(row.Key, row.NumLock);
        const char* name = SDL_GetScancodeName(row.Key);
        EXPECT_EQ(codes.VirtualKey, row.VirtualKey) << name << " numlock " << row.NumLock;
        if (row.VirtualKey != 0) {
            EXPECT_EQ(codes.ScanCode, row.ScanCode) << name << " numlock " << row.NumLock;
            EXPECT_EQ(codes.Extended, row.Extended) << name << " numlock " << row.NumLock;
        }
    }
}

// A slip in one table row shows up as two keys the program cannot tell apart.
TEST(SdlKeyTable, NoTwoKeysShareScanCodeAndExtendedFlag) {
    std::set<std::pair<WORD, bool>> seen;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        KeyCodes codes = KeyFromScancode(static_cast<SDL_Scancode>(scancode), false);
        // The key beside Enter on non-US keyboards is a US backslash there too.
        if (codes.VirtualKey == 0 || scancode == SDL_SCANCODE_NONUSHASH)
            continue;
        EXPECT_TRUE(seen.insert({codes.ScanCode, codes.Extended}).second)
            << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    }
    EXPECT_GT(seen.size(), 100u);
}

// Control characters come from the key; printable ones from text input, as ANSI bytes.
TEST(SdlCharacters, ControlCharactersFromKeysAndTextInputAsAnsi) {
    const std::pair<SDL_Scancode, bool> keys[] = {
        {SDL_SCANCODE_RETURN, false}, {SDL_SCANCODE_BACKSPACE, false}, {SDL_SCANCODE_TAB, false},
        {SDL_SCANCODE_ESCAPE, false}, {SDL_SCANCODE_A, true},          {SDL_SCANCODE_Z, true},
        {SDL_SCANCODE_A, false},      {SDL_SCANCODE_SPACE, false},     {SDL_SCANCODE_F1, true}};
    const BYTE expected[] = {0x0D, 0x08, 0x09, 0x1B, 0x01, 0x1A, 0, 0, 0};
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(WinApi::ControlCharacter(keys[i].first, keys[i].second), expected[i])
            << SDL_GetScancodeName(keys[i].first) << " ctrl " << keys[i].second;
    EXPECT_EQ(WinApi::AnsiFromUtf8("Ab1 \xC3\xA9\xE2\x82\xAC"), "Ab1 \xE9\x80"); // é, euro sign
    EXPECT_EQ(WinApi::AnsiFromUtf8("\xE4\xB8\xAD\x01x"), "x"); // no ANSI byte; a control character
}

} // namespace
