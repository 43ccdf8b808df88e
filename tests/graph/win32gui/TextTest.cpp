// Text on the graph window: glyph placement and colour, and the cut at the
// viewport.
#include "tests/graph/win32gui/DriverFixture.h"

#include <tuple>

namespace {

using namespace DriverFixture;
constexpr COLORREF PureWhite = RGB(255, 255, 255);

// What text drawn at natural size or larger shows: ink on the glyph pixels
// that Kernel::GlyphPixels places, other elsewhere.
auto Shows(int left, int top, int size, bool vertical, std::string_view text, COLORREF ink,
           COLORREF other) {
    return
        [glyphs = Kernel::GlyphPixels(left, top, text, size, vertical), ink, other](int x, int y) {
            return glyphs.contains({x, y}) ? ink : other;
        };
}

using DriverTextTest = OpenWindowTest;

// "AB" at (10, 20) over blue: what lies between the strokes stays, whatever
// the background flag says. Colour 15 is pure white even when its palette
// entry is red.
TEST_F(DriverTextTest, GlyphsLandByDirectionSizeAndJustificationInTheirColour) {
    Graph::SetRGBPalette(15, 255, 0, 0);
    Graph::DrawTextBackground = true;
    const COLORREF yellow = RGB(252, 252, 84); // palette entry 14
    // Where the kernel's justification puts the text is its own suite's
    // business; one row shows that the driver moves by both offsets.
    const std::tuple<Graph::TextInfoType, std::uint16_t, int, int, COLORREF> rows[] = {
        {{0, 0, 1, 0, 2}, 14, 10, 20, yellow},
        {{0, 1, 1, 2, 2}, 15, 2, 36, PureWhite},
        {{0, 0, 3, 0, 2}, 15, 10, 20, PureWhite}};
    for (const auto& [info, color, left, top, ink] : rows) {
        Graph::CurrentColor = 1;
        Graph::CurrentWriteMode = 0;
        for (std::int16_t y = 0; y <= 80; ++y)
            Graph::HLine(0, 80, y);
        Graph::CurrentTextInfo = info;
        Graph::CurrentColor = color;
        Graph::CurrentWriteMode = 2;
        Graph::OutTextXY(10, 20, "AB");
        EXPECT_EQ(0, Mismatches(0, 0, 80, 80,
                                Shows(left, top, info.CharSize, info.Direction, "AB", ink, Blue)))
            << left << ", " << top;
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
        EXPECT_EQ(0, Mismatches(121, 40, 130, 120, [](int, int) { return Black; })) << color;
        EXPECT_EQ(0, Mismatches(95, 40, 120, 120, Shows(110, 70, 1, false, "AB", ink, Black)))
            << color;
    }
}

} // namespace
