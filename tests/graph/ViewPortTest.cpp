#include "tests/graph/PixelRecorder.h"

#include "graph/Graph.h"

#include <gtest/gtest.h>

using namespace Graph;
using PixelRecorder::Point;

namespace {

using ViewPortTest = DrawingTest;

void ExpectViewPort(int x1, int y1, int x2, int y2, bool clip) {
    ViewPortType viewport;
    GetViewSettings(viewport);
    EXPECT_EQ(viewport.X1, x1);
    EXPECT_EQ(viewport.Y1, y1);
    EXPECT_EQ(viewport.X2, x2);
    EXPECT_EQ(viewport.Y2, y2);
    EXPECT_EQ(viewport.Clip, clip);
}

TEST_F(ViewPortTest, FullScreenViewPortIsAccepted) {
    UseViewPort(5, 5, 10, 10, false);
    SetViewPort(0, 0, MaxX, MaxY, true);
    EXPECT_EQ(GraphResult, GraphOk);
    ExpectViewPort(0, 0, 639, 479, true);
}

TEST_F(ViewPortTest, ReportsTheCornersAndClipFlagItWasGiven) {
    SetViewPort(5, 6, 50, 60, false);
    EXPECT_EQ(StartXViewPort, 5);
    EXPECT_EQ(StartYViewPort, 6);
    EXPECT_EQ(ViewWidth, 45);
    EXPECT_EQ(ViewHeight, 54);
    ExpectViewPort(5, 6, 50, 60, false);
}

TEST_F(ViewPortTest, OnePixelViewPortIsValid) {
    SetViewPort(MaxX, MaxY, MaxX, MaxY, true);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_EQ(ViewWidth, 0);
    EXPECT_EQ(ViewHeight, 0);
    ExpectViewPort(639, 479, 639, 479, true);
}

TEST_F(ViewPortTest, SuccessResetsCurrentPositionAndLeavesResultAlone) {
    GraphResult = GraphNotDetected;
    CurrentX = 7;
    CurrentY = 8;
    SetViewPort(1, 2, 3, 4, true);
    EXPECT_EQ(GraphResult, GraphNotDetected);
    EXPECT_EQ(CurrentX, 0);
    EXPECT_EQ(CurrentY, 0);
}

TEST_F(ViewPortTest, BadRectanglesAreRejectedAndChangeNothing) {
    struct Case {
        int X1, Y1, X2, Y2;
    };
    const Case bad[] = {
        {0, 0, 640, 479},  // one column past the screen
        {0, 0, 639, 480},  // one row past the screen
        {640, 0, 640, 10}, // starts past the screen
        {10, 10, 9, 20},   // inverted x
        {10, 20, 20, 19},  // inverted y
        {-1, 0, 10, 10},   // left of the screen
        {0, -1, 10, 10},   // above the screen
        {10, 10, 9, 480},  // both axes bad
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(testing::Message() << c.X1 << "," << c.Y1 << "," << c.X2 << "," << c.Y2);
        UseViewPort(5, 6, 50, 60, false);
        CurrentX = 7;
        CurrentY = 8;
        GraphResult = GraphOk;
        SetViewPort(static_cast<std::int16_t>(c.X1), static_cast<std::int16_t>(c.Y1),
                    static_cast<std::int16_t>(c.X2), static_cast<std::int16_t>(c.Y2), true);
        EXPECT_EQ(GraphResult, GraphError);
        ExpectViewPort(5, 6, 50, 60, false);
        EXPECT_EQ(CurrentX, 7);
        EXPECT_EQ(CurrentY, 8);
    }
}

TEST_F(ViewPortTest, ModeSizeQueriesReportTheMode) {
    EXPECT_EQ(GetMaxX(), 639);
    EXPECT_EQ(GetMaxY(), 479);
    EXPECT_EQ(GetMaxColor(), 15);
    MaxColor = 256;
    EXPECT_EQ(GetMaxColor(), 255);
}

TEST_F(ViewPortTest, BackgroundRedefinesPaletteEntryZeroFromDefaultColours) {
    UseViewPort(5, 6, 50, 60, true);
    SetBkColor(1);
    EXPECT_EQ(CurrentBkColor, 1);
    ASSERT_EQ(PixelRecorder::PaletteCalls.size(), 1u);
    const PixelRecorder::PaletteCall& call = PixelRecorder::PaletteCalls[0];
    EXPECT_EQ(call.Number, 0);
    EXPECT_EQ(call.Red, 0);
    EXPECT_EQ(call.Green, 0);
    EXPECT_EQ(call.Blue, 168);
    // The palette is set with the whole screen as an unclipped viewport.
    EXPECT_EQ(call.ViewPort.X1, 0);
    EXPECT_EQ(call.ViewPort.Y1, 0);
    EXPECT_EQ(call.ViewPort.X2, 639);
    EXPECT_EQ(call.ViewPort.Y2, 479);
    EXPECT_FALSE(call.ViewPort.Clip);
}

TEST_F(ViewPortTest, BackgroundKeepsViewPortAndHomesCurrentPosition) {
    UseViewPort(5, 6, 50, 60, true);
    CurrentX = 3;
    CurrentY = 4;
    SetBkColor(9);
    ExpectViewPort(5, 6, 50, 60, true);
    EXPECT_EQ(CurrentX, 0);
    EXPECT_EQ(CurrentY, 0);
    EXPECT_EQ(GraphResult, GraphOk);
    ASSERT_EQ(PixelRecorder::PaletteCalls.size(), 1u);
    EXPECT_EQ(PixelRecorder::PaletteCalls[0].Red, DefaultColors[9].Red);
    EXPECT_EQ(PixelRecorder::PaletteCalls[0].Green, DefaultColors[9].Green);
    EXPECT_EQ(PixelRecorder::PaletteCalls[0].Blue, DefaultColors[9].Blue);
}

TEST_F(ViewPortTest, BackgroundOutsideThePaletteOrInDirectColourLeavesPaletteAlone) {
    SetBkColor(256);
    EXPECT_EQ(CurrentBkColor, 256);
    DirectColor = true;
    SetBkColor(4);
    EXPECT_EQ(CurrentBkColor, 4);
    EXPECT_TRUE(PixelRecorder::PaletteCalls.empty());
}

TEST_F(ViewPortTest, ClippedPixelKeepsInclusiveEdges) {
    UseViewPort(10, 10, 20, 20, true);
    for (Point p : {Point{10, 10}, Point{20, 20}, Point{10, 20}, Point{20, 10}, Point{21, 20},
                    Point{9, 15}, Point{15, 9}, Point{15, 21}})
        DirectPutPixelClip(static_cast<std::int16_t>(p.first), static_cast<std::int16_t>(p.second));
    const std::vector<Point> expected = {{10, 10}, {20, 20}, {10, 20}, {20, 10}};
    EXPECT_EQ(PixelRecorder::Positions(), expected);
}

TEST_F(ViewPortTest, UnclippedPixelIsAlwaysPassedOn) {
    UseViewPort(10, 10, 20, 20, false);
    DirectPutPixelClip(20, 20);
    DirectPutPixelClip(21, 20);
    DirectPutPixelClip(-5, 700);
    const std::vector<Point> expected = {{20, 20}, {21, 20}, {-5, 700}};
    EXPECT_EQ(PixelRecorder::Positions(), expected);
}

// The clipper on plain values: no fixture needed.
struct Segment {
    std::int16_t X1, Y1, X2, Y2;
    bool operator==(const Segment&) const = default;
};

void PrintTo(const Segment& s, std::ostream* out) {
    *out << "(" << s.X1 << ", " << s.Y1 << ")-(" << s.X2 << ", " << s.Y2 << ")";
}

// Clips against (xmin, ymin)-(xmax, ymax); the segment as left by the clipper.
std::pair<bool, Segment> Clip(Segment s, int xmin, int ymin, int xmax, int ymax) {
    const bool outside = LineClipped(
        s.X1, s.Y1, s.X2, s.Y2, static_cast<std::int16_t>(xmin), static_cast<std::int16_t>(ymin),
        static_cast<std::int16_t>(xmax), static_cast<std::int16_t>(ymax));
    return {outside, s};
}

TEST(LineClipperTest, DiagonalIsCutAtBothCorners) {
    EXPECT_EQ(Clip({0, 0, 30, 30}, 10, 10, 20, 20), std::pair(false, Segment{10, 10, 20, 20}));
    EXPECT_EQ(Clip({30, 30, 0, 0}, 10, 10, 20, 20), std::pair(false, Segment{20, 20, 10, 10}));
}

TEST(LineClipperTest, SegmentEntirelyOnOneSideIsRejected) {
    EXPECT_TRUE(Clip({0, 5, 30, 5}, 10, 10, 20, 20).first);   // above
    EXPECT_TRUE(Clip({0, 25, 30, 28}, 10, 10, 20, 20).first); // below
    EXPECT_TRUE(Clip({21, 0, 25, 30}, 10, 10, 20, 20).first); // right
    EXPECT_TRUE(Clip({9, 0, 9, 30}, 10, 10, 20, 20).first);   // just left
}

TEST(LineClipperTest, IntersectionDivisionTruncatesTowardsZero) {
    // Left edge: y = 0 + 10·1 div 3 = 3.
    EXPECT_EQ(Clip({0, 0, 3, 10}, 1, 0, 100, 100), std::pair(false, Segment{1, 3, 3, 10}));
    // -10·1 div 3 is -3, not the floor -4.
    EXPECT_EQ(Clip({0, 0, 3, -10}, 1, -100, 100, 100), std::pair(false, Segment{1, -3, 3, -10}));
}

TEST(LineClipperTest, HorizontalAndVerticalSegmentsCrossingAreCutAtTheEdges) {
    EXPECT_EQ(Clip({0, 15, 30, 15}, 10, 10, 20, 20), std::pair(false, Segment{10, 15, 20, 15}));
    EXPECT_EQ(Clip({30, 15, 0, 15}, 10, 10, 20, 20), std::pair(false, Segment{20, 15, 10, 15}));
    EXPECT_EQ(Clip({15, 0, 15, 30}, 10, 10, 20, 20), std::pair(false, Segment{15, 10, 15, 20}));
    EXPECT_EQ(Clip({15, 30, 15, 0}, 10, 10, 20, 20), std::pair(false, Segment{15, 20, 15, 10}));
}

TEST(LineClipperTest, PointsOnTheEdgesAreInside) {
    EXPECT_EQ(Clip({10, 10, 20, 20}, 10, 10, 20, 20), std::pair(false, Segment{10, 10, 20, 20}));
    EXPECT_EQ(Clip({20, 10, 20, 20}, 10, 10, 20, 20), std::pair(false, Segment{20, 10, 20, 20}));
    EXPECT_EQ(Clip({20, 20, 20, 20}, 10, 10, 20, 20), std::pair(false, Segment{20, 20, 20, 20}));
    EXPECT_TRUE(Clip({21, 20, 21, 20}, 10, 10, 20, 20).first);
}

TEST(LineClipperTest, RightEdgeIsTriedBeforeBottom) {
    // (40, 25) is right of and below the rectangle; the right edge comes first
    // and leaves y = 15 + 10·5 div 25 = 17, inside.
    EXPECT_EQ(Clip({15, 15, 40, 25}, 10, 10, 20, 20), std::pair(false, Segment{15, 15, 20, 17}));
}

TEST(LineClipperTest, CornersAreMissedOrTouchedExactly) {
    // x + y = 12 passes below-left of the corner (10, 10): outside.
    EXPECT_TRUE(Clip({0, 12, 12, 0}, 10, 10, 20, 20).first);
    // x + y = 20 touches the corner (10, 10) only.
    EXPECT_EQ(Clip({0, 20, 20, 0}, 10, 10, 20, 20), std::pair(false, Segment{10, 10, 10, 10}));
    // Through the opposite corners from outside on both ends.
    EXPECT_EQ(Clip({5, 25, 25, 5}, 10, 10, 20, 20), std::pair(false, Segment{10, 20, 20, 10}));
}

TEST(LineClipperTest, SegmentsWiderThanSixteenBitsClipExactly) {
    // y = -1 - x across the whole 16-bit range: the left edge's product
    // 65535·32868 leaves 32 bits.
    EXPECT_EQ(Clip({-32768, 32767, 32767, -32768}, 100, -200, 300, 0),
              std::pair(false, Segment{100, -101, 199, -200}));
}

} // namespace
