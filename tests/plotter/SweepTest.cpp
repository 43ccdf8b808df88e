// The plotter's sweep, recorded through the kernel's PutPixel slot.
#include "graph/Graph.h"
#include "plotter/Bifurcation.h"
#include "tests/support/ReferenceDiagram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Point = TestSupport::DiagramPoint;

std::vector<Point> Recorded;
std::vector<std::uint16_t> RecordedColors;

// The reference is computed in extended precision: in double precision the
// chaotic band comes out differently, so a sweep in the wrong type fails.
// The rows each span reaches and the sweep's end at the first μ not below
// e^3.9 were worked by hand, and guard the reference too.
TEST(Sweep, MatchesTheExtendedPrecisionDiagramInColourFifteen) {
    Graph::PutPixelProc saved = Graph::PutPixel;
    Graph::PutPixel = [](std::int16_t x, std::int16_t y, std::uint16_t color) {
        Recorded.push_back({x, y});
        RecordedColors.push_back(color);
    };
    Bifurcation::Sweep();
    Graph::PutPixel = saved;
    const std::vector<Point> extended = TestSupport::ReferenceDiagram<long double>();
    ASSERT_EQ(Recorded.size(), 252400u);
    ASSERT_EQ(extended.size(), Recorded.size());
    const auto mismatch = std::mismatch(extended.begin(), extended.end(), Recorded.begin());
    EXPECT_EQ(mismatch.first, extended.end())
        << "first wrong point " << mismatch.first - extended.begin();
    EXPECT_EQ(std::count(RecordedColors.begin(), RecordedColors.end(), 15), 252400);
    auto rows = [](std::size_t count) {
        auto [top, bottom] = std::minmax_element(
            Recorded.begin(), Recorded.begin() + static_cast<std::ptrdiff_t>(count),
            [](const Point& a, const Point& b) { return a.Y < b.Y; });
        return std::make_pair(top->Y, bottom->Y);
    };
    EXPECT_EQ(rows(Recorded.size()), std::make_pair(18, 699));
    EXPECT_EQ(rows(200), std::make_pair(698, 699)) << "the first column creeps towards zero";
    EXPECT_EQ(Recorded.back().X, 1262);
    EXPECT_EQ(Bifurcation::XX, 1263);
    const long double end = 49.40244910553017L;
    EXPECT_GE(Bifurcation::MU, end);
    EXPECT_LT(Bifurcation::MU - 0.037L, end);
}

} // namespace
