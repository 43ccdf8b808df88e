// The library's drawing operations on the in-memory canvas, against
// pictures worked out by hand.
#include "tests/graph/KernelFixture.h"

#include <tuple>

namespace {

using namespace Graph;
using Rows = std::vector<std::string>;

// Polygon fills alone (outline off): each pixel whose centre lies inside is
// filled exactly once, left and top edges in, right and bottom edges out.
TEST_F(CanvasTest, FillPolyFillsEachInsidePixelOnce) {
    const std::pair<std::vector<std::vector<PointType>>, Rows> cases[] = {
        // A right triangle with a horizontal top edge.
        {{{{0, 0}, {6, 0}, {0, 6}}}, {"111111", "11111.", "1111..", "111...", "11....", "1....."}},
        // Two triangles sharing a diagonal: the square, each pixel once.
        {{{{0, 0}, {4, 0}, {0, 4}}, {{4, 0}, {4, 4}, {0, 4}}},
         {"1111.", "1111.", "1111.", "1111.", "....."}},
        // A square with a square inside, both clockwise: by the even-odd rule the inside is a hole.
        {{{{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}}},
         {"111111", "111111", "11..11", "11..11", "111111", "111111", "......"}},
        // A notch with a horizontal floor: no row is filled across it.
        {{{{0, 0}, {2, 0}, {2, 3}, {4, 3}, {4, 0}, {6, 0}, {6, 5}, {0, 5}}},
         {"11..11", "11..11", "11..11", "111111", "111111", "......"}},
    };
    for (const auto& [polygons, counts] : cases) {
        SetUp();
        Line = [](std::int16_t, std::int16_t, std::int16_t, std::int16_t) {};
        for (const auto& polygon : polygons)
            FillPoly(polygon);
        Canvas::Colors = Canvas::FillCounts;
        EXPECT_EQ(Canvas::PictureLike(counts), counts);
    }
}

// Walls of colour 1; the fill (colour 2) stops at them and at the canvas'
// edges, and passes through a gap. The picture before is the one after with the 2s blank.
TEST_F(CanvasTest, FloodFillStopsAtTheBorderColourOnly) {
    const std::tuple<std::int16_t, std::int16_t, Rows> cases[] = {
        {1, 1, {"1111111", "1221..1", "1221..1", "1111111"}},
        {1, 1, {"1111111", "1221221", "1222221", "1111111"}},
        {5,
         1,
         {"111111111", "122212221", "121212121", "121222121", "121111121", "122212221",
          "111111111"}},
        {0, 0, {"2221", "2221", "1111"}}, // bounded by the canvas' edges too
        {0, 0, {"11", "1."}},             // seeded on the border: nothing
        {24, 0, {"..", ".."}},            // seeded outside the viewport: nothing
    };
    for (const auto& [x, y, after] : cases) {
        SetUp();
        for (int row = 0; row < std::ssize(after); ++row)
            for (int column = 0; column < std::ssize(after[row]); ++column)
                Canvas::At(column, row) = after[row][column] == '1';
        FillSettings = {SolidFill, 2};
        FloodFill(x, y, 1);
        EXPECT_EQ(Canvas::PictureLike(after), after) << x << "," << y;
    }
}

// Outline in colour 1, fill in colour 2.
TEST_F(CanvasTest, BarsAndThreeDimensionalBars) {
    const std::pair<void (*)(), Rows> cases[] = {
        {[] { Bar(3, 2, 1, 1); }, {"....", ".222", ".222", "...."}},
        {[] { Bar3D(1, 2, 4, 4, 2, true); },
         {"...1111.", "..1..11.", ".1111.1.", ".12211..", ".1111..."}},
        {[] { Bar3D(1, 2, 4, 4, 2, false); },
         {"......1.", "......1.", ".1111.1.", ".12211..", ".1111..."}},
    };
    for (const auto& [draw, picture] : cases) {
        SetUp();
        CurrentColor = 1;
        FillSettings = {SolidFill, 2};
        draw();
        EXPECT_EQ(Canvas::PictureLike(picture), picture);
    }
}

// The four quarter slices of a circle fill only their own quadrant (the
// axes belong to both neighbours), and together the whole disc that a
// filled circle of the same radius covers.
TEST_F(CanvasTest, PieSlicesAtQuadrantBoundariesCoverTheirQuadrantOnly) {
    FillSettings = {SolidFill, 9};
    FillEllipse(11, 7, 6, 6);
    const std::vector<std::uint16_t> disc = Canvas::Colors;
    for (int quarter = 0; quarter < 4; ++quarter) {
        SetUp();
        PieSlice(11, 7, static_cast<std::uint16_t>(90 * quarter),
                 static_cast<std::uint16_t>(90 * quarter + 90), 6);
        const int signX = quarter == 0 || quarter == 3 ? 1 : -1, signY = quarter < 2 ? -1 : 1;
        int filled = 0;
        for (std::size_t i = 0; i < disc.size(); ++i) {
            // Where the pixel lies, as seen from the centre into the quadrant.
            const int x = (static_cast<int>(i) % Canvas::Width - 11) * signX;
            const int y = (static_cast<int>(i) / Canvas::Width - 7) * signY;
            filled += Canvas::FillCounts[i] > 0;
            EXPECT_TRUE(Canvas::FillCounts[i] == 0 || (x >= 0 && y >= 0)) << quarter << ": " << i;
            EXPECT_TRUE(disc[i] != 9 || x <= 0 || y <= 0 || Canvas::Colors[i] != 0)
                << quarter << ": " << i << " inside the quadrant is neither filled nor outline";
        }
        EXPECT_GE(filled, 12) << quarter;
    }
}

// Where each operation that moves the current position leaves it.
TEST_F(CanvasTest, CurrentPositionAfterEachOperation) {
    const std::tuple<void (*)(), int, int> steps[] = {
        {[] { SetTextStyle(0, HorizDir, 1), MoveTo(5, 6); }, 5, 6},
        {[] { MoveRel(-2, 3); }, 3, 9},
        {[] { LineTo(10, 2); }, 10, 2},
        {[] { LineRel(1, 1); }, 11, 3},
        {[] { Rectangle(0, 0, 3, 3); }, 11, 3},
        {[] { OutText("AB"); }, 27, 3},
        {[] { SetTextJustify(CenterText, TopText), OutText("AB"); }, 27, 3},
        {[] { ClearDevice(); }, 0, 0},
    };
    for (auto [step, x, y] : steps) {
        step();
        EXPECT_EQ(std::make_pair(int{GetX()}, int{GetY()}), std::make_pair(x, y));
    }
}

} // namespace
