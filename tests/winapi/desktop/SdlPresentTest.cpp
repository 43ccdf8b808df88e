// The SDL desktop without a display: presenting a client surface on SDL
// surfaces in memory (what is copied, in which pixel format, and what is left
// of Dirty), the key tables and the characters it makes for WM_CHAR.
#include "desktop/sdl/SdlPresent.h"
#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace {

struct Target {
    Uint32 Format;
    Uint32 Paint, Background; // as the target stores 0xFF8001 and 0x123456
    bool Lent;                // the client surface draws in the target's memory
};

class SdlPresent : public ::testing::TestWithParam<Target> {};

// The target's pixel at (x, y) as stored, read low byte first like the machine.
Uint32 PixelAt(const SDL_Surface* target, int x, int y) {
    Uint32 value = 0;
    std::memcpy(&value,
                static_cast<const Uint8*>(target->pixels) + y * target->pitch +
                    x * target->format->BytesPerPixel,
                target->format->BytesPerPixel);
    return value;
}

TEST_P(SdlPresent, ShowsExactlyTheDirtyPartOrTheWholeSurfaceInTheTargetsFormat) {
    const Target format = GetParam();
    const RECT block{3, 2, 9, 5};
    WinApi::ClientSurface surface(20, 10, 0x00123456);
    for (LONG y = block.top; y < block.bottom; ++y)
        for (LONG x = block.left; x < block.right; ++x)
            surface.At(x, y) = 0x00FF8001;
    surface.MarkDirty(block);
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> target(
        SDL_CreateRGBSurfaceWithFormat(0, 20, 10, 0, format.Format), SDL_FreeSurface);
    ASSERT_TRUE(target) << SDL_GetError();
    SDL_FillRect(target.get(), nullptr, 0);
    auto expectPixels = [&](Uint32 outside) {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                bool inside =
                    x >= block.left && x < block.right && y >= block.top && y < block.bottom;
                ASSERT_EQ(PixelAt(target.get(), x, y), inside ? format.Paint : outside)
                    << SDL_GetPixelFormatName(format.Format) << " at " << x << "," << y;
            }
    };

    SDL_Rect copied{};
    ASSERT_TRUE(WinApi::TakeDirty(surface, target.get(), false, true, copied));
    EXPECT_GE(surface.Dirty.left, surface.Dirty.right);
    if (format.Lent) {
        // The whole picture moves into the target's memory, which the
        // surface then draws in, and comes back before the target goes.
        EXPECT_EQ(std::tuple(copied.x, copied.y, copied.w, copied.h), std::tuple(0, 0, 20, 10));
        expectPixels(format.Background);
        surface.At(0, 0) = 0x00FF8001;
        EXPECT_EQ(PixelAt(target.get(), 0, 0), format.Paint);
        WinApi::TakeBackMemory(surface, target->pixels, true);
        surface.At(0, 0) = 0;
        EXPECT_EQ(PixelAt(target.get(), 0, 0), format.Paint);
        EXPECT_EQ(surface.At(3, 2), 0x00FF8001u);
        return;
    }
    EXPECT_EQ(std::tuple(copied.x, copied.y, copied.w, copied.h), std::tuple(3, 2, 6, 3));
    expectPixels(0);
    EXPECT_FALSE(WinApi::TakeDirty(surface, target.get(), false, true, copied));

    // A new or exposed window surface gets all of it, whatever is dirty.
    ASSERT_TRUE(WinApi::TakeDirty(surface, target.get(), true, true, copied));
    EXPECT_EQ(std::tuple(copied.x, copied.y, copied.w, copied.h), std::tuple(0, 0, 20, 10));
    expectPixels(format.Background);
}

// RGB888 is our own layout, lent to the surface; the others are converted,
// and those with fewer bits keep the top bits of each channel. ARGB is opaque.
INSTANTIATE_TEST_SUITE_P(
    SdlTargets, SdlPresent,
    ::testing::Values(Target{SDL_PIXELFORMAT_RGB888, 0x00FF8001, 0x00123456, true},
                      Target{SDL_PIXELFORMAT_BGR888, 0x000180FF, 0x00563412, false},
                      Target{SDL_PIXELFORMAT_ARGB8888, 0xFFFF8001, 0xFF123456, false},
                      Target{SDL_PIXELFORMAT_RGB24, 0x000180FF, 0x00563412, false},
                      Target{SDL_PIXELFORMAT_BGR24, 0x00FF8001, 0x00123456, false},
                      Target{SDL_PIXELFORMAT_RGB565, 0xFC00, 0x11AA, false}),
    [](const auto& info) { // the name less "SDL_PIXELFORMAT_"
        return std::string(SDL_GetPixelFormatName(info.param.Format) + 16);
    });

using WinApi::KeyCodes;
using WinApi::KeyFromScancode;

TEST(SdlKeyTable, KnownKeysHaveTheirVirtualKeyScanCodeAndExtendedFlag) {
    // Keys whose codes a person checked by hand, all without NumLock. Mute
    // has no Windows counterpart.
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
