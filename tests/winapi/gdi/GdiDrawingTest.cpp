// Drawing on memory device contexts: pixels, lines, rectangles, clip
// regions, and block transfers with their raster operations.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF Background = RGB(0, 128, 0);
constexpr COLORREF Ink = RGB(250, 20, 30);
constexpr COLORREF White = RGB(255, 255, 255);
using Points = std::set<std::pair<int, int>>;
std::mt19937 Noise(1234);

// A memory context holding a bitmap of its own, filled with the background,
// and the objects a test made for it.
struct Canvas {
    int Width, Height;
    HDC Dc = CreateCompatibleDC(nullptr);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, Width, Height);
    HGDIOBJ OldBitmap = SelectObject(Dc, Bitmap);
    std::vector<HGDIOBJ> Made;

    // Filled with the background, or with noise when the test reads what
    // was there before.
    Canvas(int width, int height, bool noisy = false) : Width(width), Height(height) {
        Fill(noisy);
    }
    ~Canvas() {
        SelectObject(Dc, OldBitmap);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
        for (HGDIOBJ object : Made)
            DeleteObject(object);
    }
    void Use(HGDIOBJ object) { SelectObject(Dc, Made.emplace_back(object)); }
    void Fill(bool noisy = true) {
        for (int i = 0; i < Width * Height; ++i)
            SetPixelV(Dc, i % Width, i / Width, noisy ? Noise() & 0xFFFFFF : Background);
    }
    // What the canvas shows now, to be read later as picture(x, y).
    std::function<COLORREF(int, int)> Read() const {
        std::vector<COLORREF> pixels;
        for (int i = 0; i < Width * Height; ++i)
            pixels.push_back(GetPixel(Dc, i % Width, i / Width));
        return [pixels, w = Width](int x, int y) { return pixels[static_cast<size_t>(y * w + x)]; };
    }
    // How many pixels differ from what expected(x, y) says they should be.
    template <typename Expected>
    int Mismatches(Expected expected) const {
        int count = 0;
        for (int i = 0; i < Width * Height; ++i)
            count += GetPixel(Dc, i % Width, i / Width) != expected(i % Width, i / Width);
        return count;
    }
};

// Each step along the major axis takes the point nearest to the true line, a
// half going to the smaller coordinate; the end point is left out and becomes the
// current position. Compass directions, and slants with and without halves;
// the layer checks hold slanted lines worked by hand.
TEST(GdiLines, EachStepTakesTheNearestPointUpToTheEndPointLeftOut) {
    const int steps[][2] = {{6, 0},  {6, 6}, {0, 6},  {-6, 6}, {-6, 0},  {-6, -6}, {0, -6},
                            {6, -6}, {6, 2}, {-6, 3}, {3, -6}, {-4, -6}, {5, 4}};
    for (auto [dx, dy] : steps) {
        Canvas canvas(21, 21);
        canvas.Use(CreatePen(PS_SOLID, 1, Ink));
        MoveToEx(canvas.Dc, 10, 10, nullptr);
        ASSERT_TRUE(LineTo(canvas.Dc, 10 + dx, 10 + dy));
        const int n = std::max(std::abs(dx), std::abs(dy));
        auto nearest = [n](int i, int d) { // i·d/n rounded, a half down
            const int twice = 2 * i * d - n;
            return twice >= 0 ? (twice + 2 * n - 1) / (2 * n) : -(-twice / (2 * n));
        };
        Points expected;
        for (int i = 0; i < n; ++i)
            expected.insert({10 + nearest(i, dx), 10 + nearest(i, dy)});
        auto line = [&](int x, int y) { return expected.count({x, y}) ? Ink : Background; };
        EXPECT_EQ(canvas.Mismatches(line), 0) << dx << "," << dy;
        POINT position{};
        MoveToEx(canvas.Dc, 0, 0, &position);
        EXPECT_EQ(std::pair(position.x, position.y), std::pair(10 + dx, 10 + dy));
    }
}

TEST(GdiRectangles, PenOutlinesBrushFillsRightAndBottomExcluded) {
    // Which parts of Rectangle(2, 3, 7, 9) change, with a pen or none, a
    // brush or none, and the corners given either way round.
    const COLORREF fillColor = RGB(10, 20, 200);
    for (int c = 0; c < 4; ++c) {
        const bool outline = c != 3, fill = c != 2, reversed = c == 1;
        Canvas canvas(12, 12);
        // Deleting the stock objects afterwards is allowed and does nothing.
        canvas.Use(outline ? CreatePen(PS_SOLID, 1, Ink) : GetStockObject(NULL_PEN));
        canvas.Use(fill ? CreateSolidBrush(fillColor) : GetStockObject(NULL_BRUSH));
        ASSERT_TRUE(reversed ? Rectangle(canvas.Dc, 7, 9, 2, 3) : Rectangle(canvas.Dc, 2, 3, 7, 9));
        EXPECT_EQ(0, canvas.Mismatches([&](int x, int y) {
            bool inside = x >= 2 && x < 7 && y >= 3 && y < 9;
            bool edge = x == 2 || x == 6 || y == 3 || y == 8;
            return !inside                                 ? Background
                   : outline && edge                       ? Ink
                   : fill && (outline || (x < 6 && y < 8)) ? fillColor
                                                           : Background;
        })) << c;
    }
}

TEST(GdiClip, ClipRegionAndSurfaceLimitPixelsLinesAndBlocks) {
    Canvas canvas(10, 10);
    HRGN region = CreateRectRgn(6, 6, 2, 3); // normalised to (2, 3)-(6, 6)
    EXPECT_EQ(SelectClipRgn(canvas.Dc, region), SIMPLEREGION);
    DeleteObject(region); // the context keeps its own copy

    EXPECT_FALSE(SetPixelV(canvas.Dc, 1, 4, Ink));
    EXPECT_TRUE(SetPixelV(canvas.Dc, 2, 3, Ink));
    EXPECT_EQ(GetPixel(canvas.Dc, 0, 0), CLR_INVALID);
    MoveToEx(canvas.Dc, 0, 4, nullptr);
    LineTo(canvas.Dc, 10, 4);
    ASSERT_TRUE(BitBlt(canvas.Dc, 0, 5, 10, 5, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(SelectClipRgn(canvas.Dc, nullptr), SIMPLEREGION);
    // In (2, 3)-(6, 6): the pixel, the line in the default black pen, the white block.
    EXPECT_EQ(0, canvas.Mismatches([](int x, int y) {
        const bool clipped = x < 2 || x > 5 || y < 3 || y > 5 || (y == 3 && x > 2);
        return clipped ? Background : y == 3 ? Ink : y == 4 ? RGB(0, 0, 0) : White;
    }));
    EXPECT_TRUE(SetPixelV(canvas.Dc, 0, 0, Ink));
    // Outside the surface, no clip region is needed to refuse a pixel.
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {10, 0}, {0, 10}, {1 << 30, 1}}) {
        EXPECT_EQ(SetPixel(canvas.Dc, x, y, Ink), CLR_INVALID) << x << "," << y;
        EXPECT_EQ(GetPixel(canvas.Dc, x, y), CLR_INVALID) << x << "," << y;
    }
}

// The raster operation's result, worked out one colour bit at a time.
COLORREF ByTruthTable(unsigned index, COLORREF p, COLORREF s, COLORREF d) {
    COLORREF result = 0;
    for (int bit = 0; bit < 24; ++bit) {
        unsigned row = ((p >> bit) & 1) * 4 + ((s >> bit) & 1) * 2 + ((d >> bit) & 1);
        result |= static_cast<COLORREF>((index >> row) & 1) << bit;
    }
    return result;
}

TEST(GdiRasterOps, EveryOperationFollowsItsTruthTable) {
    Canvas source(16, 4), dest(16, 4);
    for (unsigned index = 0; index < 256; ++index) {
        source.Fill();
        dest.Fill();
        COLORREF pattern = Noise() & 0xFFFFFF;
        dest.Use(CreateSolidBrush(pattern));
        const auto s = source.Read(), d = dest.Read();
        // The low word of a code does not matter; give it noise.
        DWORD rop = (index << 16) | (Noise() & 0xFFFF);
        ASSERT_TRUE(BitBlt(dest.Dc, 0, 0, 16, 4, source.Dc, 0, 0, rop));
        ASSERT_EQ(0, dest.Mismatches([&](int x, int y) {
            return ByTruthTable(index, pattern, s(x, y), d(x, y));
        })) << "operation "
            << index;
    }
}

TEST(GdiBlocks, OnlyPixelsInsideBothSurfacesAreTransferred) {
    Canvas source(4, 4, true), dest(8, 8, true);
    const auto s = source.Read(), before = dest.Read();
    // Source from (-2, -3): the part left of and above the source stays.
    ASSERT_TRUE(BitBlt(dest.Dc, 0, 0, 8, 8, source.Dc, -2, -3, SRCCOPY));
    // Destination from (-1, 6): only columns 0-2 of rows 6-7 are inside.
    ASSERT_TRUE(BitBlt(dest.Dc, -1, 6, 6, 6, source.Dc, 0, 0, SRCINVERT));
    EXPECT_EQ(0, dest.Mismatches([&](int x, int y) {
        COLORREF expected = x >= 2 && x < 6 && y >= 3 && y < 7 ? s(x - 2, y - 3) : before(x, y);
        return x < 3 && y >= 6 ? expected ^ s(x + 1, y - 6) : expected;
    }));
}

} // namespace
