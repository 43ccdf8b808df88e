// The line walk, solid, patterned and thick lines, and the line style's patterns.
#include "tests/graph/KernelFixture.h"

namespace {

using namespace Graph;
using Kernel::Call;
using Kernel::Point;
using Points = std::vector<Point>;

Points Walk(int x1, int y1, int x2, int y2) {
    Points points;
    WalkLine(x1, y1, x2, y2, [&](std::int16_t x, std::int16_t y, std::int32_t ordinal) {
        EXPECT_EQ(ordinal, static_cast<std::int32_t>(points.size()));
        points.emplace_back(x, y);
    });
    return points;
}

// The walks below are worked by hand from the walk's rules.

TEST(LineWalk, MatchesTheWorkedExamplesAndStartsAtTheFirstEndPoint) {
    EXPECT_EQ(Walk(0, 0, 5, 2), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(Walk(0, 0, 2, 5), (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}));
    EXPECT_EQ(Walk(0, 0, 3, 3), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(Walk(5, 2, 0, 0), (Points{{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}));
}

using LineTest = DrawingTest;

TEST_F(LineTest, SlantedLinesArePixelsInTheAttributesStraightOnesRunsAndThickOnesThreeAcross) {
    HLine = Kernel::RecordHLine;
    VLine = Kernel::RecordVLine;
    SetViewPort(10, 20, 100, 100, true);
    CurrentColor = 4;
    CurrentWriteMode = 1;
    LineDefault(0, 0, 2, 1);
    LineDefault(9, 7, 3, 7);
    LineDefault(4, 1, 4, 8);
    EXPECT_EQ(
        Kernel::Calls,
        (std::vector<Call>{
            {'P', 10, 20, 0}, {'P', 11, 21, 0}, {'P', 12, 21, 0}, {'H', 9, 3, 7}, {'V', 4, 1, 8}}));
    // Thick lines are three runs, or three pixels across the major axis.
    Kernel::Calls.clear();
    SetViewPort(0, 0, 639, 479, true);
    LineInfo.Thickness = ThicknessThick;
    LineDefault(2, 5, 8, 5);
    LineDefault(3, 1, 3, 6);
    EXPECT_EQ(Kernel::Calls, (std::vector<Call>{{'H', 2, 8, 4},
                                                {'H', 2, 8, 5},
                                                {'H', 2, 8, 6},
                                                {'V', 2, 1, 6},
                                                {'V', 3, 1, 6},
                                                {'V', 4, 1, 6}}));
    LineDefault(10, 10, 11, 12); // y-major: pixels side by side
    LineDefault(20, 20, 21, 21); // a diagonal counts as x-major: pixels stacked
    const Points drawn = Kernel::Positions();
    std::set<Point> expected = Kernel::Picture(9, 10, {"###", " ###", " ###"});
    expected.merge(Kernel::Picture(20, 19, {"# ", "##", "##", " #"}));
    EXPECT_EQ(drawn.size(), 15u);
    EXPECT_EQ(std::set<Point>(drawn.begin(), drawn.end()), expected);
}

TEST_F(LineTest, PatternPhaseComesFromScreenCoordinatesWhenStraightAndTheOrdinalWhenSlanted) {
    SetLineStyle(LineStyleDotted, 0, ThicknessNormal);
    SetViewPort(3, 2, 600, 400, true);
    LineDefault(12, 5, 0, 5); // screen x 15 down to 3
    EXPECT_EQ(Kernel::Positions(), (Points{{4, 7}, {5, 7}, {8, 7}, {9, 7}, {12, 7}, {13, 7}}));
    Kernel::Calls.clear();
    LineDefault(1, 0, 1, 12); // screen y 2 to 14
    EXPECT_EQ(Kernel::Positions(), (Points{{4, 4}, {4, 5}, {4, 8}, {4, 9}, {4, 12}, {4, 13}}));
    SetViewPort(0, 0, 639, 479, true);
    Kernel::Calls.clear();
    LineDefault(0, 0, 6, 2);
    EXPECT_EQ(Kernel::Positions(), (Points{{0, 0}, {1, 0}, {4, 1}, {5, 2}})); // of 7 pixels
    Kernel::Calls.clear();
    LineDefault(6, 2, 0, 0); // from the other end
    EXPECT_EQ(Kernel::Positions(), (Points{{6, 2}, {5, 2}, {2, 1}, {1, 0}}));
}

TEST_F(LineTest, SetLineStyleTakesThePredefinedPatternsAndTheUsersBitsFromBit15) {
    const std::pair<std::uint16_t, std::uint16_t> styles[] = {
        {LineStyleDotted, 0xCCCC}, {LineStyleCenter, 0xFC78}, {LineStyleDashed, 0xF8F8}};
    for (auto [style, pattern] : styles) {
        SetLineStyle(style, 0x1234, ThicknessNormal);
        EXPECT_EQ(LineInfo.Pattern, pattern) << "a predefined style ignores the caller's";
    }
    SetLineStyle(LineStyleUser, 0x4001, ThicknessThick);
    std::vector<bool> expected(16, false);
    expected[1] = expected[15] = true; // bit 15 is phase 0
    EXPECT_EQ(std::vector<bool>(LinePatterns, LinePatterns + 16), expected);
}

} // namespace
