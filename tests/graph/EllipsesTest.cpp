// Arcs, ellipses and circles: exact pixels, angles, thick outlines, aspect
// correction and the rows reported to the fill callback.
#include "tests/graph/KernelFixture.h"

#include <set>
#include <tuple>

namespace {

using namespace Graph;
using Points = std::set<Kernel::Point>;
using Fill = std::tuple<int, int, int, int>; // x1, x2, y, colour
std::vector<Fill> Fills;

class EllipseTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        Fills.clear();
    }
    static Points Drawn(int x, int y, int xr, int yr, int start = 0, int end = 360,
                        PatternLineProc fill = DummyPatternLine) {
        Kernel::Calls.clear();
        InternalEllipseDefault(x, y, xr, yr, start, end, fill);
        const auto points = Kernel::Positions();
        return {points.begin(), points.end()};
    }
    static void RecordFill(std::int16_t x1, std::int16_t x2, std::int16_t y) {
        Fills.emplace_back(x1, x2, y, CurrentColor);
    }
    static auto Arc() {
        return std::make_tuple(ArcCall.X, ArcCall.Y, ArcCall.XStart, ArcCall.YStart, ArcCall.XEnd,
                               ArcCall.YEnd);
    }
};

// A thin circle is drawn in copy mode whatever the write mode, and keeps
// the arc record; an arc sets it.
TEST_F(EllipseTest, SmallCirclesAndArcsAreExactAndAQuarterArcStaysInItsQuarter) {
    ArcCall = {1, 2, 3, 4, 5, 6};
    CurrentWriteMode = 1;
    CircleDefault(10, 10, 0);
    EXPECT_TRUE(Kernel::Calls.empty());
    CircleDefault(10, 10, 1);
    EXPECT_EQ(Kernel::Positions(), (std::vector<Kernel::Point>{{10, 10}}));
    Kernel::Calls.clear();
    CircleDefault(10, 10, 2);
    const auto points = Kernel::Positions();
    EXPECT_EQ(Points(points.begin(), points.end()),
              Kernel::Picture(8, 8, {" ### ", "#   #", "#   #", "#   #", " ### "}));
    EXPECT_EQ(Arc(), std::make_tuple(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(Kernel::Calls.back().WriteMode, 0);
    EXPECT_EQ(CurrentWriteMode, 1);
    // Zero radii plot the centre, and a quarter arc only its quarter.
    EXPECT_EQ(Drawn(30, 40, 0, 0, 10, 20), (Points{{30, 40}}));
    EXPECT_EQ(Arc(), std::make_tuple(30, 40, 30, 40, 30, 40));
    Points expected;
    for (const Kernel::Point& p : Drawn(100, 100, 10, 6))
        if (p.first >= 100 && p.second <= 100)
            expected.insert(p);
    EXPECT_EQ(Drawn(100, 100, 10, 6, 0, 90), expected);
    EXPECT_TRUE(expected.contains({110, 100}) && expected.contains({100, 94}));
    EXPECT_EQ(Arc(), std::make_tuple(100, 100, 110, 100, 100, 94));
}

// With radii this large the step is a fifth of a degree, so a degree more or
// less shows.
TEST_F(EllipseTest, AnglesFoldModulo361AndAreExchangedWhenReversedAndAspectScalesTheRadii) {
    for (auto [start, end, sameStart, sameEnd] :
         {std::array{360, 0, 0, 360}, {370, 90, 9, 90}, {300, 60, 60, 300}, {721, 45, 45, 360}})
        EXPECT_EQ(Drawn(300, 240, 200, 150, start, end),
                  Drawn(300, 240, 200, 150, sameStart, sameEnd))
            << start << " to " << end;
    EXPECT_NE(Drawn(300, 240, 200, 150, 370, 90), Drawn(300, 240, 200, 150, 10, 90));
    // Aspect factors scale each radius, and zero counts as square.
    const Points narrow = Drawn(300, 200, 20, 40);
    for (auto [xAspect, yAspect, xr, yr] :
         {std::array{20000, 10000, 40, 40}, {10000, 5000, 20, 20}, {0, 0, 20, 40}}) {
        XAspect = xAspect;
        YAspect = yAspect;
        EXPECT_EQ(Drawn(300, 200, xr, yr), narrow) << xAspect << " " << yAspect;
    }
}

TEST_F(EllipseTest, ThickOutlineIsThreeThinOnesOnlyTheInnerFillsAndThicknessReturns) {
    Points thin = Drawn(100, 100, 9, 11, 0, 360, RecordFill);
    const auto innerFills = std::exchange(Fills, {});
    thin.merge(Drawn(100, 100, 10, 12));
    thin.merge(Drawn(100, 100, 11, 13));
    Points zeroRadius = Drawn(100, 100, 0, 5);
    zeroRadius.merge(Drawn(100, 100, 1, 6));
    LineInfo.Thickness = ThicknessThick;
    EXPECT_EQ(Drawn(100, 100, 10, 12, 0, 360, RecordFill), thin);
    EXPECT_EQ(Fills, innerFills);
    EXPECT_EQ(Drawn(100, 100, 0, 5), zeroRadius); // no inner outline
    EXPECT_EQ(LineInfo.Thickness, ThicknessThick);
}

// Worked by hand from the radius-2 walk: the row changes after 0 and 36
// degrees only. An arc leaves the limits of unplotted quadrants at the ends
// of the 16-bit range.
TEST_F(EllipseTest, FillGetsTheRowsWhereTheOutlineChangesRowInTheFillColour) {
    CurrentColor = 4;
    FillSettings.Color = 7;
    Drawn(10, 10, 2, 2, 0, 360, RecordFill);
    EXPECT_EQ(Fills,
              (std::vector<Fill>{{9, 11, 10, 7}, {9, 11, 10, 7}, {9, 11, 9, 7}, {9, 11, 11, 7}}));
    EXPECT_EQ(CurrentColor, 4);
    Fills.clear();
    Drawn(10, 10, 2, 2, 0, 90, RecordFill);
    EXPECT_EQ(Fills.at(0), Fill(-32767, 11, 10, 7));
    EXPECT_EQ(Fills.at(1), Fill(-32767, 32766, 10, 7));
}

} // namespace
