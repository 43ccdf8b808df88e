// Presenting a client surface on SDL surfaces in memory: what is copied,
// where, in which pixel format, and what is left of Dirty. No display needed.
#include "desktop/sdl/SdlPresent.h"

#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using WinApi::ClientSurface;

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

constexpr std::uint32_t Background = 0x00123456;
constexpr std::uint32_t Paint = 0x00FF8001;

SdlSurface MakeTarget(int width, int height, Uint32 format) {
    SdlSurface target(SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, format));
    if (target)
        SDL_FillRect(target.get(), nullptr, 0);
    return target;
}

// The colour of a target pixel, read through SDL's own format description.
std::uint32_t ColourAt(SDL_Surface* target, int x, int y) {
    const auto* row = static_cast<const Uint8*>(target->pixels) + y * target->pitch;
    const Uint8* place = row + x * target->format->BytesPerPixel;
    Uint32 value = 0;
    switch (target->format->BytesPerPixel) {
    case 2:
        value = *reinterpret_cast<const Uint16*>(place);
        break;
    case 3:
        value = place[0] | (place[1] << 8) | (place[2] << 16);
        break;
    default:
        value = *reinterpret_cast<const Uint32*>(place);
        break;
    }
    Uint8 r, g, b;
    SDL_GetRGB(value, target->format, &r, &g, &b);
    return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// A 20 × 10 surface in the background colour with a painted block and a
// Dirty rectangle that covers exactly that block.
std::unique_ptr<ClientSurface> PaintedSurface(const RECT& block) {
    auto surface = std::make_unique<ClientSurface>(20, 10, Background);
    for (LONG y = block.top; y < block.bottom; ++y)
        for (LONG x = block.left; x < block.right; ++x)
            surface->At(x, y) = Paint;
    surface->MarkDirty(block);
    return surface;
}

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TEST(SdlPresent, CopiesExactlyTheDirtyPartAndEmptiesDirty) {
    RECT block{3, 2, 9, 5};
    auto surface = PaintedSurface(block);
    SdlSurface target = MakeTarget(20, 10, SDL_PIXELFORMAT_RGB888);
    ASSERT_TRUE(target);
    SDL_Rect copied{};
    ASSERT_TRUE(WinApi::TakeDirty(*surface, target.get(), false, copied));
    EXPECT_EQ(copied.x, 3);
    EXPECT_EQ(copied.y, 2);
    EXPECT_EQ(copied.w, 6);
    EXPECT_EQ(copied.h, 3);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(ColourAt(target.get(), x, y), Inside(block, x, y) ? Paint : 0u)
                << x << "," << y;
    EXPECT_GE(surface->Dirty.left, surface->Dirty.right);
    EXPECT_FALSE(WinApi::TakeDirty(*surface, target.get(), false, copied));
}

TEST(SdlPresent, WholeCopiesEverythingWhateverIsDirty) {
    auto surface = PaintedSurface({0, 0, 1, 1});
    SdlSurface target = MakeTarget(20, 10, SDL_PIXELFORMAT_RGB888);
    ASSERT_TRUE(target);
    SDL_Rect copied{};
    ASSERT_TRUE(WinApi::TakeDirty(*surface, target.get(), true, copied));
    EXPECT_EQ(copied.w, 20);
    EXPECT_EQ(copied.h, 10);
    EXPECT_EQ(ColourAt(target.get(), 0, 0), Paint);
    EXPECT_EQ(ColourAt(target.get(), 19, 9), Background);
    EXPECT_EQ(ColourAt(target.get(), 10, 5), Background);
}

TEST(SdlPresent, SizesThatDifferDuringAResizeShowWhatBothHold) {
    auto surface = PaintedSurface({10, 4, 20, 10});
    SdlSurface target = MakeTarget(15, 6, SDL_PIXELFORMAT_RGB888);
    ASSERT_TRUE(target);
    SDL_Rect copied{};
    ASSERT_TRUE(WinApi::TakeDirty(*surface, target.get(), false, copied));
    EXPECT_EQ(copied.x, 10);
    EXPECT_EQ(copied.y, 4);
    EXPECT_EQ(copied.w, 5);
    EXPECT_EQ(copied.h, 2);
    EXPECT_EQ(ColourAt(target.get(), 14, 5), Paint);
    EXPECT_EQ(ColourAt(target.get(), 9, 5), 0u);

    // A dirty part wholly outside the window surface has nothing to show.
    surface->MarkDirty({16, 7, 18, 9});
    EXPECT_FALSE(WinApi::TakeDirty(*surface, target.get(), false, copied));
}

class SdlPresentFormat : public ::testing::TestWithParam<Uint32> {};

TEST_P(SdlPresentFormat, OtherPixelFormatsAreConverted) {
    RECT block{1, 1, 4, 3};
    auto surface = PaintedSurface(block);
    SdlSurface target = MakeTarget(20, 10, GetParam());
    ASSERT_TRUE(target) << SDL_GetError();
    SDL_Rect copied{};
    ASSERT_TRUE(WinApi::TakeDirty(*surface, target.get(), true, copied));
    // Formats with fewer bits keep the top bits of each channel.
    Uint8 r, g, b;
    SDL_GetRGB(SDL_MapRGB(target->format, 0xFF, 0x80, 0x01), target->format, &r, &g, &b);
    std::uint32_t paint = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    SDL_GetRGB(SDL_MapRGB(target->format, 0x12, 0x34, 0x56), target->format, &r, &g, &b);
    std::uint32_t background = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    ASSERT_NE(paint, background);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(ColourAt(target.get(), x, y), Inside(block, x, y) ? paint : background)
                << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(SdlTargets, SdlPresentFormat,
                         ::testing::Values(SDL_PIXELFORMAT_BGR888, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_BGR24,
                                           SDL_PIXELFORMAT_RGB565));

} // namespace
