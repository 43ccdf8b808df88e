// Text on the graph window: glyph placement and colour, and the cut at the
// viewport.
#include "tests/graph/win32gui/DriverFixture.h"

#include <string>

namespace {

using namespace DriverFixture;
constexpr COLORREF PureWhite = RGB(255, 255, 255);

// What text drawn at natural size or larger shows at (x, y): ink where a
// glyph pixel is set, other elsewhere. Horizontal cells run right from
// (left, top); vertical ones run up, the first ending on row top, each glyph
// turned a quarter anticlockwise.
struct Expected {
    int Left, Top, Size;
    bool Vertical;
    std::string Text;
    COLORREF Ink, Other;
    COLORREF operator()(int x, int y) const {
        const int side = 8 * Size;
        const int along = Vertical ? Top - y : x - Left;
        const int across = Vertical ? x - Left : y - Top;
        const auto i = static_cast<std::size_t>(along / side);
        if (along < 0 || across < 0 || across >= side || i >= Text.size())
            return Other;
        const std::uint8_t code = static_cast<std::uint8_t>(Text[i]);
        // Glyph row r runs across the writing direction, column c along it.
        const int r = across / Size, c = along % side / Size;
        return Graph::DefaultFontData[code * 64 + r * 8 + c] ? Ink : Other;
    }
};

class DriverTextTest : public OpenWindowTest {
protected:
    // How many pixels of the rectangle differ from expected, on either target.
    int Mismatches(int left, int top, int right, int bottom, const Expected& expected) {
        int count = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                count +=
                    (InBackBuffer(x, y) != expected(x, y)) + (OnScreen(x, y) != expected(x, y));
        return count;
    }
};

// "AB" at (10, 20) over blue: what lies between the strokes stays, whatever
// the background flag says. Colour 15 is pure white even when its palette
// entry is red.
TEST_F(DriverTextTest, GlyphsLandByDirectionSizeAndJustificationInTheirColour) {
    Graph::SetRGBPalette(15, 255, 0, 0);
    Graph::DrawTextBackground = true;
    const COLORREF yellow = RGB(252, 252, 84); // palette entry 14
    struct Row {
        Graph::TextInfoType Info;
        std::uint16_t Color;
        Expected Shows;
    };
    // Where the kernel's justification puts the text is its own suite's
    // business; one row shows that the driver moves by both offsets.
    for (const Row& row : {Row{{0, 0, 1, 0, 2}, 14, {10, 20, 1, false, "AB", yellow, Blue}},
                           {{0, 1, 1, 2, 2}, 15, {2, 36, 1, true, "AB", PureWhite, Blue}},
                           {{0, 0, 3, 0, 2}, 15, {10, 20, 3, false, "AB", PureWhite, Blue}}}) {
        Graph::CurrentColor = 1;
        Graph::CurrentWriteMode = 0;
        for (std::int16_t y = 0; y <= 80; ++y)
            Graph::HLine(0, 80, y);
        Graph::CurrentTextInfo = row.Info;
        Graph::CurrentColor = row.Color;
        Graph::CurrentWriteMode = 2;
        Graph::OutTextXY(10, 20, "AB");
        EXPECT_EQ(0, Mismatches(0, 0, 80, 80, row.Shows))
            << "direction " << row.Info.Direction << " size " << row.Info.CharSize;
        EXPECT_EQ(Graph::CurrentWriteMode, 2);
    }
}

// The cut does not depend on ClipPixels; a start outside the viewport draws
// nothing, not even the part that would fall inside. Pure white is ORed in,
// other colours go through the brush: the window's clip region cuts both.
TEST_F(DriverTextTest, TextIsCutAtTheViewportAndNotDrawnFromOutsideIt) {
    Graph::SetViewPort(100, 50, 120, 300, false);
    for (auto [color, ink] : {std::pair{15, PureWhite}, {14, RGB(252, 252, 84)}}) {
        Graph::ClearViewPort();
        Graph::CurrentColor = static_cast<std::uint16_t>(color);
        for (auto [x, y] : {std::pair{10, 20}, {-1, 40}, {0, -1}, {21, 60}})
            Graph::OutTextXY(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), "AB");
        EXPECT_EQ(0, Mismatches(121, 40, 130, 120, {0, 0, 1, false, "", ink, Black})) << color;
        EXPECT_EQ(0, Mismatches(95, 40, 120, 120, {110, 70, 1, false, "AB", ink, Black})) << color;
    }
}

} // namespace
