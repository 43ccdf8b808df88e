// Arcs, ellipses and circles: exact pixels, angles, aspect
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
    static Points Drawn(int x, int y, int xr, int yr, int start = 0, int end = 360,
                        PatternLineProc fill = DummyPatternLine) {
        Kernel::Calls.clear();
        InternalEllipseDefault(x, y, xr, yr, start, end, fill);
        const auto points = Kernel::TakePositions();
        return {points.begin(), points.end()};
    }
    static auto Arc() {
        return std::make_tuple(ArcCall.X, ArcCall.Y, ArcCall.XStart, ArcCall.YStart, ArcCall.XEnd,
                               ArcCall.YEnd);
    }
};

// A thin circle is drawn in copy mode whatever the write mode (a single
// pixel in the caller's), and keeps the arc record; an arc sets it. Zero radii plot the centre, and
// a quarter arc only its quarter.
TEST_F(EllipseTest, SmallCirclesAndArcsAreExactAQuarterArcStaysInItsQuarterAndFillsGetTheRows) {
    ArcCall = {1, 2, 3, 4, 5, 6};
    CurrentWriteMode = 1;
    for (auto [radius, picture] :
         {std::pair{0, Points{}},
          {1, Points{{10, 10}}},
          {2, Kernel::Picture(8, 8, {" ### ", "#   #", "#   #", "#   #", " ### "})}}) {
        Kernel::Calls.clear();
        CircleDefault(10, 10, static_cast<std::uint16_t>(radius));
        for (const Kernel::Call& call : Kernel::Calls)
            EXPECT_EQ(call.WriteMode, radius == 1 ? 1 : 0) << radius;
        const auto points = Kernel::TakePositions();
        EXPECT_EQ(Points(points.begin(), points.end()), picture) << radius;
    }
    EXPECT_EQ(Arc(), std::make_tuple(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(CurrentWriteMode, 1);
    EXPECT_EQ(Drawn(30, 40, 0, 0, 10, 20), (Points{{30, 40}}));
    EXPECT_EQ(Arc(), std::make_tuple(30, 40, 30, 40, 30, 40));
    Points expected;
    for (const Kernel::Point& p : Drawn(100, 100, 10, 6))
        if (p.first >= 100 && p.second <= 100)
            expected.insert(p);
    EXPECT_EQ(Drawn(100, 100, 10, 6, 0, 90), expected);
    EXPECT_TRUE(expected.contains({110, 100}) && expected.contains({100, 94}));
    EXPECT_EQ(Arc(), std::make_tuple(100, 100, 110, 100, 100, 94));
    // Worked by hand from the radius-2 walk: the fill rows change after 0 and
    // 36 degrees only, and come in the fill colour.
    CurrentColor = 4;
    FillSettings.Color = 7;
    Drawn(10, 10, 2, 2, 0, 360, [](std::int16_t x1, std::int16_t x2, std::int16_t y) {
        Fills.emplace_back(x1, x2, y, CurrentColor);
    });
    EXPECT_EQ(Fills,
              (std::vector<Fill>{{9, 11, 10, 7}, {9, 11, 10, 7}, {9, 11, 9, 7}, {9, 11, 11, 7}}));
    EXPECT_EQ(CurrentColor, 4);
}

// With radii this large the step is a fifth of a degree, so a degree more or
// less shows. Aspect factors scale each radius, and zero counts as square.
TEST_F(EllipseTest, AnglesFoldModulo361AndAreExchangedWhenReversedAndAspectScalesTheRadii) {
    for (auto [start, end, sameStart, sameEnd] :
         {std::array{360, 0, 0, 360}, {370, 90, 9, 90}, {300, 60, 60, 300}, {721, 45, 45, 360}})
        EXPECT_EQ(Drawn(300, 240, 200, 150, start, end),
                  Drawn(300, 240, 200, 150, sameStart, sameEnd))
            << start << " to " << end;
    EXPECT_NE(Drawn(300, 240, 200, 150, 370, 90), Drawn(300, 240, 200, 150, 10, 90));
    const Points narrow = Drawn(300, 200, 20, 40);
    for (auto [xAspect, yAspect, xr, yr] :
         {std::array{20000, 10000, 40, 40}, {10000, 5000, 20, 20}, {0, 0, 20, 40}}) {
        XAspect = xAspect;
        YAspect = yAspect;
        EXPECT_EQ(Drawn(300, 200, xr, yr), narrow) << xAspect << " " << yAspect;
    }
}

} // namespace
