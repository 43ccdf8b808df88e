// The SDL desktop's key tables and the characters it makes for WM_CHAR: plain
// tables, no display needed.
#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL_keyboard.h>

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>

namespace {

using WinApi::KeyCodes;
using WinApi::KeyFromScancode;

TEST(SdlKeyTable, KnownKeysHaveTheirVirtualKeyScanCodeAndExtendedFlag) {
    // Letters, Enter, the cursor block and keypad 5 with NumLock come through
    // the display in SdlDisplayTest; these are the keys it cannot press, all
    // without NumLock. Mute has no Windows counterpart.
    const std::tuple<SDL_Scancode, WORD, WORD, bool> rows[] = {
        {SDL_SCANCODE_KP_5, VK_CLEAR, 0x4C, false},
        // Keypad 4 is Left, and unlike the cursor block's Left not extended.
        {SDL_SCANCODE_KP_4, VK_LEFT, 0x4B, false},
        {SDL_SCANCODE_KP_ENTER, 0x0D, 0x1C, true},
        {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_F1, 0x70, 0x3B, false},
        {SDL_SCANCODE_F12, 0x7B, 0x58, false},
        {SDL_SCANCODE_MUTE, 0, 0, false},
    };
    for (const auto& [key, virtualKey, scanCode, extended] : rows) {
        KeyCodes codes = KeyFromScancode(key, false);
        EXPECT_EQ(std::tuple(codes.VirtualKey, virtualKey ? codes.ScanCode : 0,
                             virtualKey && codes.Extended),
                  std::tuple(virtualKey, scanCode, extended))
            << SDL_GetScancodeName(key);
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
