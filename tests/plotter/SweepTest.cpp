// The plotter's sweep, recorded through the kernel's PutPixel slot.
#include "graph/Graph.h"
#include "plotter/Bifurcation.h"
#include "tests/support/ReferenceDiagram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Point = TestSupport::DiagramPoint;

std::vector<Point> Recorded;
std::vector<std::uint16_t> RecordedColors;

void RecordPixel(std::int16_t x, std::int16_t y, std::uint16_t color) {
    Recorded.push_back({x, y});
    RecordedColors.push_back(color);
}

class Sweep : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Graph::PutPixelProc saved = Graph::PutPixel;
        Graph::PutPixel = RecordPixel;
        Bifurcation::Sweep();
        Graph::PutPixel = saved;
    }
};

// What the whole drawing must show, whatever the arithmetic: one call per
// point in column order, colour 15 only, the rows each span reaches at both
// ends, and the sweep's end at the first μ not below e^3.9.
TEST_F(Sweep, HoldsItsInvariants) {
    ASSERT_EQ(Recorded.size(), 252400u);
    for (std::size_t i = 0; i < Recorded.size(); ++i) {
        ASSERT_EQ(Recorded[i].X, static_cast<int>(i / 200) + 1) << "call " << i;
        ASSERT_EQ(RecordedColors[i], 15) << "call " << i;
    }
    const struct {
        const char* Name;
        std::size_t Count;
        int Top, Bottom;
    } spans[] = {{"whole sweep", Recorded.size(), 18, 699},
                 {"first column, creeping towards zero", 200, 698, 699}};
    for (const auto& span : spans) {
        auto [top, bottom] =
            std::minmax_element(Recorded.begin(), Recorded.begin() + span.Count,
                                [](const Point& a, const Point& b) { return a.Y < b.Y; });
        EXPECT_EQ(top->Y, span.Top) << span.Name;
        EXPECT_EQ(bottom->Y, span.Bottom) << span.Name;
    }
    const long double end = 49.40244910553017L;
    EXPECT_EQ(Bifurcation::XX, 1263);
    EXPECT_GE(Bifurcation::MU, end);
    EXPECT_LT(Bifurcation::MU - 0.037L, end);
}

// The reference is computed in extended precision; in double precision the
// chaotic band comes out differently, so a sweep in the wrong type fails here.
TEST_F(Sweep, MatchesTheExtendedPrecisionDiagramPointForPoint) {
    const std::vector<Point> extended = TestSupport::ReferenceDiagram<long double>();
    ASSERT_EQ(extended.size(), Recorded.size());
    size_t mismatches = 0;
    for (size_t i = 0; i < extended.size(); ++i)
        if (!(extended[i] == Recorded[i]) && mismatches++ < 5)
            ADD_FAILURE() << "point " << i << ": expected (" << extended[i].X << ", "
                          << extended[i].Y << "), drawn (" << Recorded[i].X << ", " << Recorded[i].Y
                          << ")";
    EXPECT_EQ(mismatches, 0u);
}

} // namespace
