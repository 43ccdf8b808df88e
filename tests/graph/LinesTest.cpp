#include "tests/graph/PixelRecorder.h"

#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

using namespace Graph;
using PixelRecorder::Point;
using PixelRecorder::RunCall;

namespace {

std::vector<Point> Walk(int x1, int y1, int x2, int y2) {
    std::vector<Point> points;
    std::int32_t expectedOrdinal = 0;
    WalkLine(static_cast<std::int16_t>(x1), static_cast<std::int16_t>(y1),
             static_cast<std::int16_t>(x2), static_cast<std::int16_t>(y2),
             [&](std::int16_t x, std::int16_t y, std::int32_t ordinal) {
                 EXPECT_EQ(ordinal, expectedOrdinal++);
                 points.emplace_back(x, y);
             });
    return points;
}

// Worked by hand from the walk's rules.
const std::vector<Point> FlatWalk = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
const std::vector<Point> SteepWalk = {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}};
const std::vector<Point> LongerFlatWalk = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}};

std::vector<Point> Mirrored(const std::vector<Point>& base, int x0, int y0, int sx, int sy) {
    std::vector<Point> points;
    for (auto [x, y] : base)
        points.emplace_back(x0 + sx * x, y0 + sy * y);
    return points;
}

std::vector<Point> Picks(const std::vector<Point>& points, std::vector<int> indices) {
    std::vector<Point> picked;
    for (int i : indices)
        picked.push_back(points[static_cast<size_t>(i)]);
    return picked;
}

TEST(LineWalkTest, FlatLineMatchesWorkedExample) {
    EXPECT_EQ(Walk(0, 0, 5, 2), FlatWalk);
    EXPECT_TRUE(LineIsXMajor(0, 0, 5, 2));
}

TEST(LineWalkTest, SteepLineMatchesWorkedExample) {
    EXPECT_EQ(Walk(0, 0, 2, 5), SteepWalk);
    EXPECT_FALSE(LineIsXMajor(0, 0, 2, 5));
}

TEST(LineWalkTest, DiagonalIsXMajorWithFourPixels) {
    EXPECT_EQ(Walk(0, 0, 3, 3), (std::vector<Point>{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_TRUE(LineIsXMajor(0, 0, 3, 3));
}

TEST(LineWalkTest, ZeroErrorTermTakesTheDiagonalStep) {
    // d runs 0, -4, 0, -4: each 0 steps diagonally.
    EXPECT_EQ(Walk(0, 0, 4, 2), (std::vector<Point>{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
    EXPECT_EQ(Walk(0, 0, 2, 4), (std::vector<Point>{{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}));
}

TEST(LineWalkTest, EveryOctantMirrorsTheWalkFromTheFirstEndPoint) {
    for (int sx : {1, -1})
        for (int sy : {1, -1}) {
            SCOPED_TRACE(testing::Message() << "signs " << sx << ", " << sy);
            EXPECT_EQ(Walk(100, 50, 100 + 5 * sx, 50 + 2 * sy),
                      Mirrored(FlatWalk, 100, 50, sx, sy));
            EXPECT_EQ(Walk(100, 50, 100 + 2 * sx, 50 + 5 * sy),
                      Mirrored(SteepWalk, 100, 50, sx, sy));
        }
    // Drawn from the other end, the walk starts there.
    EXPECT_EQ(Walk(5, 2, 0, 0), Mirrored(FlatWalk, 5, 2, -1, -1));
}

// Each step advances the major axis by one, and the minor coordinate stays
// within half a pixel of the ideal line.
void ExpectCloseToIdealLine(int x1, int y1, int x2, int y2) {
    SCOPED_TRACE(testing::Message() << x1 << "," << y1 << " to " << x2 << "," << y2);
    const std::vector<Point> points = Walk(x1, y1, x2, y2);
    const std::int64_t dx = x2 - x1;
    const std::int64_t dy = y2 - y1;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t major = xMajor ? std::abs(dx) : std::abs(dy);
    ASSERT_EQ(static_cast<std::int64_t>(points.size()), major + 1);
    EXPECT_EQ(points.front(), Point(x1, y1));
    EXPECT_EQ(points.back(), Point(x2, y2));
    for (size_t i = 0; i < points.size(); ++i) {
        const std::int64_t t = static_cast<std::int64_t>(i);
        // Twice the distance from the ideal line, scaled by the major length.
        const std::int64_t error = xMajor ? 2 * ((points[i].second - y1) * major - t * dy)
                                          : 2 * ((points[i].first - x1) * major - t * dx);
        ASSERT_LE(std::abs(error), major) << "pixel " << i;
        const int along = xMajor ? points[i].first - x1 : points[i].second - y1;
        ASSERT_EQ(std::abs(along), t) << "pixel " << i;
    }
}

TEST(LineWalkTest, PixelsStayWithinHalfAPixelOfTheIdealLine) {
    const int ends[][4] = {{0, 0, 17, 5},   {3, 9, -40, 20}, {-7, -7, -9, 30}, {10, 0, 0, 7},
                           {0, 0, 100, 99}, {5, 5, 6, 100},  {0, 0, -63, -1},  {1, 2, 1, 2}};
    for (const auto& e : ends)
        ExpectCloseToIdealLine(e[0], e[1], e[2], e[3]);
}

TEST(LineWalkTest, LinesSpanningTheWholeSixteenBitRangeWalkCorrectly) {
    ExpectCloseToIdealLine(-32768, -20000, 32767, 20000);
    ExpectCloseToIdealLine(32767, -32768, -32768, 32767);
}

using LineTest = DrawingTest;

std::vector<PixelRecorder::Pixel> Coloured(const std::vector<Point>& points, std::uint16_t color,
                                           std::int16_t writeMode) {
    std::vector<PixelRecorder::Pixel> pixels;
    for (auto [x, y] : points)
        pixels.push_back({x, y, color, writeMode});
    return pixels;
}

TEST_F(LineTest, SolidSlantedLineIsWalkedOnTheScreenInCurrentColourAndMode) {
    UseViewPort(10, 20, 100, 100, true);
    CurrentColor = 4;
    CurrentWriteMode = 1;
    LineDefault(0, 0, 5, 2);
    EXPECT_EQ(PixelRecorder::Pixels, Coloured(Mirrored(FlatWalk, 10, 20, 1, 1), 4, 1));
}

TEST_F(LineTest, SolidStraightLinesGoToTheRunSlots) {
    HLine = PixelRecorder::RecordHLine;
    VLine = PixelRecorder::RecordVLine;
    UseViewPort(10, 20, 100, 100, true);
    LineDefault(9, 7, 3, 7);
    LineDefault(4, 1, 4, 8);
    LineDefault(5, 5, 5, 5); // a single point counts as horizontal
    const std::vector<RunCall> expected = {
        {'H', 9, 3, 7, 15, 0, 0}, {'V', 4, 1, 8, 15, 0, 0}, {'H', 5, 5, 5, 15, 0, 0}};
    EXPECT_EQ(PixelRecorder::Runs, expected);
    EXPECT_TRUE(PixelRecorder::Pixels.empty());
}

TEST_F(LineTest, ThickHorizontalLineCoversThreeRows) {
    LineInfo.Thickness = ThicknessThick;
    LineDefault(2, 5, 8, 5);
    EXPECT_EQ(PixelRecorder::PositionSet(), PixelRecorder::Rectangle(2, 4, 8, 6));
    EXPECT_EQ(PixelRecorder::Pixels.size(), 21u);
}

TEST_F(LineTest, ThickStraightLinesDrawTheirRunsInOrder) {
    HLine = PixelRecorder::RecordHLine;
    VLine = PixelRecorder::RecordVLine;
    LineInfo.Thickness = ThicknessThick;
    LineDefault(2, 5, 8, 5);
    LineDefault(3, 1, 3, 6);
    const std::vector<RunCall> expected = {{'H', 2, 8, 4, 15, 0, 0}, {'H', 2, 8, 5, 15, 0, 0},
                                           {'H', 2, 8, 6, 15, 0, 0}, {'V', 2, 1, 6, 15, 0, 0},
                                           {'V', 3, 1, 6, 15, 0, 0}, {'V', 4, 1, 6, 15, 0, 0}};
    EXPECT_EQ(PixelRecorder::Runs, expected);
}

std::vector<Point> Thickened(const std::vector<Point>& walk, bool xMajor) {
    std::vector<Point> points;
    for (auto [x, y] : walk)
        for (int offset : {-1, 0, 1})
            points.emplace_back(xMajor ? x : x + offset, xMajor ? y + offset : y);
    return points;
}

TEST_F(LineTest, ThickXMajorLineStacksThreePixelsPerStep) {
    LineInfo.Thickness = ThicknessThick;
    LineDefault(10, 10, 15, 12);
    EXPECT_EQ(PixelRecorder::Positions(), Thickened(Mirrored(FlatWalk, 10, 10, 1, 1), true));

    // A diagonal counts as x-major.
    PixelRecorder::Pixels.clear();
    LineDefault(20, 20, 22, 22);
    EXPECT_EQ(PixelRecorder::Positions(), Thickened({{20, 20}, {21, 21}, {22, 22}}, true));
}

TEST_F(LineTest, ThickYMajorLinePutsThreePixelsSideBySide) {
    LineInfo.Thickness = ThicknessThick;
    LineDefault(10, 10, 12, 15);
    EXPECT_EQ(PixelRecorder::Positions(), Thickened(Mirrored(SteepWalk, 10, 10, 1, 1), false));
}

TEST_F(LineTest, ThickLineDropsOutsidePixelsOneByOne) {
    UseViewPort(10, 10, 100, 100, true);
    LineInfo.Thickness = ThicknessThick;
    LineDefault(0, 0, 5, 2);
    std::vector<Point> expected;
    for (Point p : Thickened(Mirrored(FlatWalk, 10, 10, 1, 1), true))
        if (p.second >= 10)
            expected.push_back(p);
    EXPECT_EQ(PixelRecorder::Positions(), expected);

    PixelRecorder::Pixels.clear();
    ClipPixels = false;
    LineDefault(0, 0, 5, 2);
    EXPECT_EQ(PixelRecorder::Positions(), Thickened(Mirrored(FlatWalk, 10, 10, 1, 1), true));
}

TEST_F(LineTest, SlantedLineIsClippedToTheViewPortOnlyWhenClipping) {
    UseViewPort(10, 10, 20, 20, true);
    LineDefault(-10, -10, 20, 20);
    std::vector<Point> diagonal;
    for (int i = 10; i <= 20; ++i)
        diagonal.emplace_back(i, i);
    EXPECT_EQ(PixelRecorder::Positions(), diagonal);

    PixelRecorder::Pixels.clear();
    LineDefault(20, 0, 30, 5);
    EXPECT_TRUE(PixelRecorder::Pixels.empty());

    ClipPixels = false;
    LineDefault(-10, -10, 20, 20);
    EXPECT_EQ(PixelRecorder::Pixels.size(), 31u);
    EXPECT_EQ(PixelRecorder::Positions().back(), Point(30, 30));
}

TEST_F(LineTest, DottedStraightLinesTakeTheirPhaseFromScreenCoordinates) {
    SetLineStyle(LineStyleDotted, 0, ThicknessNormal);
    UseViewPort(3, 2, 600, 400, true);
    LineDefault(12, 5, 0, 5); // screen x 15 down to 3
    EXPECT_EQ(PixelRecorder::Positions(),
              (std::vector<Point>{{4, 7}, {5, 7}, {8, 7}, {9, 7}, {12, 7}, {13, 7}}));

    PixelRecorder::Pixels.clear();
    LineDefault(1, 0, 1, 12); // screen y 2 to 14
    EXPECT_EQ(PixelRecorder::Positions(),
              (std::vector<Point>{{4, 4}, {4, 5}, {4, 8}, {4, 9}, {4, 12}, {4, 13}}));
}

TEST_F(LineTest, DottedSlantedLineTakesItsPhaseFromTheFirstEndPoint) {
    SetLineStyle(LineStyleDotted, 0, ThicknessNormal);
    LineDefault(0, 0, 6, 2);
    EXPECT_EQ(PixelRecorder::Positions(), Picks(LongerFlatWalk, {0, 1, 4, 5}));

    PixelRecorder::Pixels.clear();
    LineDefault(6, 2, 0, 0);
    EXPECT_EQ(PixelRecorder::Positions(), Picks(LongerFlatWalk, {6, 5, 2, 1}));
}

TEST_F(LineTest, ClippedSlantedPatternStartsAtTheFirstSurvivingPoint) {
    SetLineStyle(LineStyleDotted, 0, ThicknessNormal);
    LineDefault(-2, -2, 10, 10);
    EXPECT_EQ(PixelRecorder::Positions(),
              (std::vector<Point>{{0, 0}, {1, 1}, {4, 4}, {5, 5}, {8, 8}, {9, 9}}));
}

TEST_F(LineTest, UserPatternWithTopBitDrawsEverySixteenthScreenColumn) {
    SetLineStyle(LineStyleUser, 0x8000, ThicknessNormal);
    UseViewPort(5, 0, 600, 400, true);
    LineDefault(0, 3, 100, 3);
    EXPECT_EQ(PixelRecorder::Positions(),
              (std::vector<Point>{{16, 3}, {32, 3}, {48, 3}, {64, 3}, {80, 3}, {96, 3}}));
}

TEST_F(LineTest, ThickPatternedLineDrawsItsRowsOneAfterAnotherAndClipsThem) {
    SetLineStyle(LineStyleDotted, 0, ThicknessThick);
    UseViewPort(0, 5, 600, 400, true);
    LineDefault(0, 0, 5, 0); // screen row 5: the row above is outside
    EXPECT_EQ(PixelRecorder::Positions(),
              (std::vector<Point>{{0, 5}, {1, 5}, {4, 5}, {5, 5}, {0, 6}, {1, 6}, {4, 6}, {5, 6}}));
}

TEST_F(LineTest, ThickPatternedSlantedLineStacksPatternedSteps) {
    SetLineStyle(LineStyleDotted, 0, ThicknessThick);
    LineDefault(10, 10, 16, 12);
    EXPECT_EQ(PixelRecorder::Positions(),
              Thickened(Mirrored(Picks(LongerFlatWalk, {0, 1, 4, 5}), 10, 10, 1, 1), true));
}

TEST_F(LineTest, SinglePointPatternedLineIsPatternTested) {
    SetLineStyle(LineStyleDotted, 0, ThicknessNormal);
    LineDefault(2, 2, 2, 2); // phase 2 is off
    EXPECT_TRUE(PixelRecorder::Pixels.empty());
    LineDefault(1, 1, 1, 1);
    EXPECT_EQ(PixelRecorder::Positions(), (std::vector<Point>{{1, 1}}));
}

TEST_F(LineTest, PatternedLineOutsideTheViewPortDrawsNothing) {
    SetLineStyle(LineStyleDashed, 0, ThicknessThick);
    UseViewPort(10, 10, 20, 20, true);
    LineDefault(-5, -1, 30, -1);
    LineDefault(-5, -9, 30, -2);
    EXPECT_TRUE(PixelRecorder::Pixels.empty());
}

using LineStyleTest = DrawingTest;

std::array<bool, 16> Patterns() {
    return std::to_array(LinePatterns);
}

TEST_F(LineStyleTest, PredefinedStylesIgnoreTheCallersPattern) {
    SetLineStyle(LineStyleDotted, 0x1234, ThicknessThick);
    LineSettingsType settings;
    GetLineSettings(settings);
    EXPECT_EQ(settings.LineStyle, LineStyleDotted);
    EXPECT_EQ(settings.Pattern, 0xCCCC);
    EXPECT_EQ(settings.Thickness, ThicknessThick);
    const std::array<bool, 16> dotted = {true, true, false, false, true, true, false, false,
                                         true, true, false, false, true, true, false, false};
    EXPECT_EQ(Patterns(), dotted);
    SetLineStyle(LineStyleCenter, 0, ThicknessNormal);
    EXPECT_EQ(LineInfo.Pattern, 0xFC78);
    SetLineStyle(LineStyleDashed, 0, ThicknessNormal);
    EXPECT_EQ(LineInfo.Pattern, 0xF8F8);
    SetLineStyle(LineStyleSolid, 0, ThicknessNormal);
    EXPECT_EQ(LineInfo.Pattern, 0xFFFF);
    EXPECT_EQ(GraphResult, GraphOk);
}

TEST_F(LineStyleTest, PatternBitFifteenIsPhaseZero) {
    SetLineStyle(LineStyleUser, 0x8000, ThicknessNormal);
    std::array<bool, 16> expected{};
    expected[0] = true;
    EXPECT_EQ(Patterns(), expected);
    SetLineStyle(LineStyleUser, 0x4001, ThicknessNormal);
    expected = {};
    expected[1] = true;
    expected[15] = true;
    EXPECT_EQ(Patterns(), expected);
    EXPECT_EQ(LineInfo.Pattern, 0x4001);
}

TEST_F(LineStyleTest, BadStyleOrThicknessIsRejectedAndChangesNothing) {
    SetLineStyle(LineStyleUser, 0x1234, ThicknessThick);
    const std::array<bool, 16> before = Patterns();
    for (auto [style, thickness] : {std::pair{5, 1}, std::pair{0, 2}, std::pair{0, 0}}) {
        GraphResult = GraphOk;
        SetLineStyle(static_cast<std::uint16_t>(style), 0xFFFF,
                     static_cast<std::uint16_t>(thickness));
        EXPECT_EQ(GraphResult, GraphError);
        EXPECT_EQ(LineInfo.LineStyle, LineStyleUser);
        EXPECT_EQ(LineInfo.Pattern, 0x1234);
        EXPECT_EQ(LineInfo.Thickness, ThicknessThick);
        EXPECT_EQ(Patterns(), before);
    }
}

TEST_F(LineStyleTest, ValidStyleLeavesAPendingResultAlone) {
    GraphResult = GraphNotDetected;
    SetLineStyle(LineStyleDashed, 0, ThicknessThick);
    EXPECT_EQ(GraphResult, GraphNotDetected);
}

} // namespace
