// The plotter's sweep, recorded through the kernel's PutPixel slot.
#include "graph/Graph.h"
#include "plotter/Bifurcation.h"
#include "tests/support/ReferenceDiagram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

namespace {

using Point = TestSupport::DiagramPoint;

std::vector<Point> Recorded;
int OtherColours = 0;

// The reference is computed in extended precision: in double precision the
// chaotic band comes out differently, so a sweep in the wrong type fails.
// The rows each span reaches and the sweep's end at the first μ not below
// e^3.9 were worked by hand, and guard the reference too.
TEST(Sweep, MatchesTheExtendedPrecisionDiagramInColourFifteen) {
    Graph::PutPixel = [](std::int16_t x, std::int16_t y, std::uint16_t color) {
        Recorded.push_back({x, y});
        OtherColours += color != 15;
    };
    Bifurcation::Sweep();
    ASSERT_EQ(Recorded.size(), 252400u);
    EXPECT_TRUE(Recorded == TestSupport::ReferenceDiagram<long double>());
    EXPECT_EQ(OtherColours, 0);
    auto rows = [](std::size_t count) {
        const auto [top, bottom] =
            std::ranges::minmax(std::span(Recorded).first(count), {}, &Point::Y);
        return std::make_pair(top.Y, bottom.Y);
    };
    EXPECT_EQ(rows(Recorded.size()), std::make_pair(18, 699));
    EXPECT_EQ(rows(200), std::make_pair(698, 699)) << "the first column creeps towards zero";
    EXPECT_EQ(std::make_pair(Recorded.back().X, int{Bifurcation::XX}), std::make_pair(1262, 1263));
    const long double end = 49.40244910553017L;
    EXPECT_TRUE(Bifurcation::MU >= end && Bifurcation::MU - 0.037L < end) << Bifurcation::MU;
}

} // namespace
