// Presenting a client surface on SDL surfaces in memory: what is copied, in
// which pixel format, and what is left of Dirty. No display needed.
#include "desktop/sdl/SdlPresent.h"

#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>

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

} // namespace
