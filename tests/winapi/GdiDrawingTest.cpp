// Drawing on memory device contexts: pixels, lines, rectangles, clip
// regions, and block transfers with their raster operations.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF Background = RGB(0, 128, 0);
constexpr COLORREF Ink = RGB(250, 20, 30);
using Points = std::set<std::pair<int, int>>;

// A memory context holding a bitmap of its own, filled with the background.
struct Canvas {
    HDC Dc;
    HBITMAP Bitmap;
    HGDIOBJ OldBitmap;
    int Width;
    int Height;

    Canvas(int width, int height)
        : Dc(CreateCompatibleDC(nullptr)), Bitmap(CreateCompatibleBitmap(Dc, width, height)),
          OldBitmap(SelectObject(Dc, Bitmap)), Width(width), Height(height) {
        for (int i = 0; i < width * height; ++i)
            SetPixelV(Dc, i % width, i / width, Background);
    }
    ~Canvas() {
        SelectObject(Dc, OldBitmap);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    void Fill(std::mt19937& random) {
        for (int i = 0; i < Width * Height; ++i)
            SetPixelV(Dc, i % Width, i / Width, random() & 0xFFFFFF);
    }
    std::vector<COLORREF> Read() const {
        std::vector<COLORREF> pixels;
        for (int i = 0; i < Width * Height; ++i)
            pixels.push_back(GetPixel(Dc, i % Width, i / Width));
        return pixels;
    }
    COLORREF At(const std::vector<COLORREF>& pixels, int x, int y) const {
        return pixels[static_cast<size_t>(y * Width + x)];
    }
    Points Drawn() const {
        Points points;
        for (int i = 0; i < Width * Height; ++i)
            if (GetPixel(Dc, i % Width, i / Width) != Background)
                points.insert({i % Width, i / Width});
        return points;
    }
    void Select(HGDIOBJ object) { SelectObject(Dc, object); }
};

// Objects made by a test, deleted at its end.
struct Made {
    std::vector<HGDIOBJ> Objects;
    HGDIOBJ operator()(HGDIOBJ object) { return Objects.emplace_back(object); }
    ~Made() {
        for (HGDIOBJ object : Objects)
            DeleteObject(object);
    }
};

TEST(GdiPixels, SetPixelAndGetPixelRefuseOutsideTheSurface) {
    Canvas canvas(4, 3);
    EXPECT_EQ(SetPixel(canvas.Dc, 3, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.Dc, 3, 2), RGB(1, 2, 3));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {1 << 30, 1}}) {
        EXPECT_EQ(SetPixel(canvas.Dc, x, y, Ink), CLR_INVALID) << x << "," << y;
        EXPECT_FALSE(SetPixelV(canvas.Dc, x, y, Ink));
        EXPECT_EQ(GetPixel(canvas.Dc, x, y), CLR_INVALID);
    }
    EXPECT_EQ(canvas.Drawn().size(), 1u);
}

TEST(GdiLines, EndPointIsExcludedInAllEightDirections) {
    Made made;
    for (int direction = 0; direction < 9; ++direction) {
        int dx = direction % 3 - 1;
        int dy = direction / 3 - 1;
        if (dx == 0 && dy == 0)
            continue;
        Canvas canvas(21, 21);
        canvas.Select(made(CreatePen(PS_SOLID, 1, Ink)));
        MoveToEx(canvas.Dc, 10, 10, nullptr);
        ASSERT_TRUE(LineTo(canvas.Dc, 10 + 6 * dx, 10 + 6 * dy));
        Points expected;
        for (int i = 0; i < 6; ++i)
            expected.insert({10 + i * dx, 10 + i * dy});
        EXPECT_EQ(canvas.Drawn(), expected) << dx << "," << dy;
    }
}

TEST(GdiLines, CurrentPositionMovesToTheEndPointWhateverThePen) {
    Canvas canvas(8, 8);
    POINT previous{-1, -1};
    ASSERT_TRUE(MoveToEx(canvas.Dc, 1, 1, &previous));
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    // Drawing on from where the last line ended leaves no gap and no overlap.
    LineTo(canvas.Dc, 4, 1);
    LineTo(canvas.Dc, 4, 4);
    Points expected{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}};
    EXPECT_EQ(canvas.Drawn(), expected);
    canvas.Select(GetStockObject(NULL_PEN));
    LineTo(canvas.Dc, 7, 6);
    EXPECT_EQ(canvas.Drawn(), expected);
    MoveToEx(canvas.Dc, 0, 0, &previous);
    EXPECT_EQ(previous.x, 7);
    EXPECT_EQ(previous.y, 6);
}

TEST(GdiLines, FarAwayEndsAreClippedToTheSurface) {
    Canvas canvas(30, 10);
    MoveToEx(canvas.Dc, -5000000, 4, nullptr);
    ASSERT_TRUE(LineTo(canvas.Dc, 5000000, 4));
    MoveToEx(canvas.Dc, 7, -3000000, nullptr);
    ASSERT_TRUE(LineTo(canvas.Dc, 7, 3000000));
    Points expected;
    for (int i = 0; i < 30; ++i)
        expected.insert({i, 4});
    for (int i = 0; i < 10; ++i)
        expected.insert({7, i});
    EXPECT_EQ(canvas.Drawn(), expected);
}

TEST(GdiRectangles, PenOutlinesBrushFillsRightAndBottomExcluded) {
    // Each case: pen, brush, and which parts of Rectangle(2, 3, 7, 9) change.
    Made made;
    HGDIOBJ pen = made(CreatePen(PS_SOLID, 1, Ink));
    HGDIOBJ brush = made(CreateSolidBrush(RGB(10, 20, 200)));
    struct Case {
        HGDIOBJ Pen, Brush;
        bool Reversed;
    } cases[] = {{pen, brush, false},
                 {pen, brush, true},
                 {pen, GetStockObject(NULL_BRUSH), false},
                 {GetStockObject(NULL_PEN), brush, false}};
    for (const Case& c : cases) {
        Canvas canvas(12, 12);
        canvas.Select(c.Pen);
        canvas.Select(c.Brush);
        ASSERT_TRUE(c.Reversed ? Rectangle(canvas.Dc, 7, 9, 2, 3)
                               : Rectangle(canvas.Dc, 2, 3, 7, 9));
        bool outline = c.Pen == pen;
        bool fill = c.Brush == brush;
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                bool inside = x >= 2 && x < 7 && y >= 3 && y < 9;
                bool edge = x == 2 || x == 6 || y == 3 || y == 8;
                COLORREF expected = !inside                                 ? Background
                                    : outline && edge                       ? Ink
                                    : fill && (outline || (x < 6 && y < 8)) ? RGB(10, 20, 200)
                                                                            : Background;
                EXPECT_EQ(GetPixel(canvas.Dc, x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST(GdiClip, ClipRegionLimitsPixelsLinesAndBlocksUntilRemoved) {
    Canvas canvas(10, 10);
    HRGN region = CreateRectRgn(6, 6, 2, 3); // normalised to (2, 3)-(6, 6)
    EXPECT_EQ(SelectClipRgn(canvas.Dc, region), SIMPLEREGION);
    DeleteObject(region); // the context keeps its own copy
    EXPECT_EQ(SelectClipRgn(canvas.Dc, region), RGN_ERROR);

    EXPECT_FALSE(SetPixelV(canvas.Dc, 1, 4, Ink));
    EXPECT_TRUE(SetPixelV(canvas.Dc, 2, 3, Ink));
    EXPECT_EQ(GetPixel(canvas.Dc, 0, 0), CLR_INVALID);
    MoveToEx(canvas.Dc, 0, 4, nullptr);
    LineTo(canvas.Dc, 10, 4);
    ASSERT_TRUE(BitBlt(canvas.Dc, 0, 5, 10, 5, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(SelectClipRgn(canvas.Dc, nullptr), SIMPLEREGION);
    Points expected{{2, 3}, {2, 4}, {3, 4}, {4, 4}, {5, 4}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(canvas.Drawn(), expected);
    EXPECT_EQ(GetPixel(canvas.Dc, 5, 5), RGB(255, 255, 255));
    EXPECT_TRUE(SetPixelV(canvas.Dc, 0, 0, Ink));
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
    std::mt19937 random(1234);
    Canvas source(16, 4);
    Canvas dest(16, 4);
    Made made;
    for (unsigned index = 0; index < 256; ++index) {
        source.Fill(random);
        dest.Fill(random);
        COLORREF pattern = random() & 0xFFFFFF;
        dest.Select(made(CreateSolidBrush(pattern)));
        auto s = source.Read();
        auto d = dest.Read();
        // The low word of a code does not matter; give it noise.
        DWORD rop = (index << 16) | (random() & 0xFFFF);
        ASSERT_TRUE(BitBlt(dest.Dc, 0, 0, 16, 4, source.Dc, 0, 0, rop));
        auto result = dest.Read();
        for (size_t i = 0; i < result.size(); ++i)
            ASSERT_EQ(result[i], ByTruthTable(index, pattern, s[i], d[i])) << index << " " << i;
        dest.Select(GetStockObject(WHITE_BRUSH));
    }
}

TEST(GdiRasterOps, GlyphMaskPaintsOnlyItsSetPixels) {
    auto set = [](int x, int y) { return (x + 2 * y) % 5 == 0 || x == y; };
    Canvas glyph(8, 8);
    for (int i = 0; i < 64; ++i)
        SetPixelV(glyph.Dc, i % 8, i / 8, set(i % 8, i / 8) ? RGB(255, 255, 255) : 0);
    std::mt19937 random(99);
    Canvas white(8, 8);
    Canvas coloured(8, 8);
    white.Fill(random);
    coloured.Fill(random);
    auto before = white.Read();
    auto colouredBefore = coloured.Read();
    Made made;
    coloured.Select(made(CreateSolidBrush(Ink)));
    ASSERT_TRUE(BitBlt(white.Dc, 0, 0, 8, 8, glyph.Dc, 0, 0, SRCPAINT));
    ASSERT_TRUE(BitBlt(coloured.Dc, 0, 0, 8, 8, glyph.Dc, 0, 0, 0x00220326)); // DSna
    auto cleared = coloured.Read();
    ASSERT_TRUE(BitBlt(coloured.Dc, 0, 0, 8, 8, glyph.Dc, 0, 0, 0x00EA02E9)); // DPSao
    auto painted = white.Read();
    auto result = coloured.Read();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            COLORREF kept = coloured.At(colouredBefore, x, y);
            EXPECT_EQ(white.At(painted, x, y),
                      set(x, y) ? RGB(255, 255, 255) : white.At(before, x, y));
            EXPECT_EQ(coloured.At(cleared, x, y), set(x, y) ? 0 : kept);
            EXPECT_EQ(coloured.At(result, x, y), set(x, y) ? Ink : kept);
        }
    }
}

TEST(GdiStretch, EightByEightBecomesTwentyFourByTwentyFourAndBack) {
    std::mt19937 random(7);
    Canvas small(8, 8);
    Canvas large(26, 26);
    small.Fill(random);
    large.Fill(random);
    auto s = small.Read();
    auto before = large.Read();
    ASSERT_TRUE(StretchBlt(large.Dc, 1, 2, 24, 24, small.Dc, 0, 0, 8, 8, SRCCOPY));
    auto l = large.Read();
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 26; ++x) {
            bool inside = x >= 1 && x < 25 && y >= 2 && y < 26;
            EXPECT_EQ(large.At(l, x, y),
                      inside ? small.At(s, (x - 1) / 3, (y - 2) / 3) : large.At(before, x, y));
        }
    }
    // Shrinking samples the centre of each 3 x 3 block; mirroring is refused.
    large.Fill(random);
    l = large.Read();
    ASSERT_TRUE(StretchBlt(small.Dc, 0, 0, 8, 8, large.Dc, 1, 2, 24, 24, SRCCOPY));
    s = small.Read();
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(s[static_cast<size_t>(i)], large.At(l, 3 * (i % 8) + 2, 3 * (i / 8) + 3));
    EXPECT_FALSE(StretchBlt(small.Dc, 8, 0, -8, 8, large.Dc, 0, 0, 24, 24, SRCCOPY));
}

TEST(GdiBlocks, OnlyPixelsInsideBothSurfacesAreTransferred) {
    std::mt19937 random(3);
    Canvas source(4, 4);
    Canvas dest(8, 8);
    source.Fill(random);
    dest.Fill(random);
    auto s = source.Read();
    auto before = dest.Read();
    // Source from (-2, -3): the part left of and above the source stays.
    ASSERT_TRUE(BitBlt(dest.Dc, 0, 0, 8, 8, source.Dc, -2, -3, SRCCOPY));
    // Destination from (-1, 6): only columns 0-2 of rows 6-7 are inside.
    ASSERT_TRUE(BitBlt(dest.Dc, -1, 6, 6, 6, source.Dc, 0, 0, SRCINVERT));
    auto after = dest.Read();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            COLORREF expected = dest.At(before, x, y);
            if (x >= 2 && x < 6 && y >= 3 && y < 7)
                expected = source.At(s, x - 2, y - 3);
            if (x < 3 && y >= 6)
                expected ^= source.At(s, x + 1, y - 6);
            EXPECT_EQ(dest.At(after, x, y), expected) << x << "," << y;
        }
    }
}

TEST(GdiBlocks, OverlappingTransferReadsThePictureAsItWas) {
    std::mt19937 random(5);
    Canvas canvas(10, 6);
    canvas.Fill(random);
    auto before = canvas.Read();
    ASSERT_TRUE(BitBlt(canvas.Dc, 1, 1, 9, 5, canvas.Dc, 0, 0, SRCCOPY));
    auto after = canvas.Read();
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 10; ++x)
            EXPECT_EQ(canvas.At(after, x, y), canvas.At(before, x - 1, y - 1));
}

TEST(GdiBlocks, SourceIsRequiredOnlyWhenTheOperationReadsIt) {
    Canvas canvas(3, 3);
    EXPECT_TRUE(BitBlt(canvas.Dc, 1, 1, 1, 1, nullptr, 0, 0, PATCOPY));
    EXPECT_EQ(GetPixel(canvas.Dc, 1, 1), RGB(255, 255, 255));
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(BitBlt(canvas.Dc, 0, 0, 3, 3, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(canvas.Drawn(), (Points{{1, 1}}));
}

} // namespace
