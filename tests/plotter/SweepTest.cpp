// The plotter's sweep, recorded through the kernel's PutPixel slot.
#include "graph/Graph.h"
#include "plotter/Bifurcation.h"
#include "tests/support/ReferenceDiagram.h"

#include <gtest/gtest.h>

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

TEST_F(Sweep, CallsThePixelSlotOncePerPointInColumnOrder) {
    ASSERT_EQ(Recorded.size(), 252400u);
    for (size_t i = 0; i < Recorded.size(); ++i)
        ASSERT_EQ(Recorded[i].X, static_cast<int>(i / 200) + 1) << "call " << i;
    EXPECT_EQ(Bifurcation::XX, 1263);
}

TEST_F(Sweep, PlotsInColourFifteenOnly) {
    for (std::uint16_t color : RecordedColors)
        ASSERT_EQ(color, 15);
}

TEST_F(Sweep, RowsLieBetweenEighteenAndSixHundredNinetyNine) {
    int top = 10000, bottom = -1;
    for (const Point& p : Recorded) {
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    EXPECT_EQ(top, 18);
    EXPECT_EQ(bottom, 699);
}

TEST_F(Sweep, FirstColumnCreepsTowardsZeroOnTheBottomTwoRows) {
    bool sawEach[2] = {false, false};
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(Recorded[i].Y == 698 || Recorded[i].Y == 699) << "row " << Recorded[i].Y;
        sawEach[Recorded[i].Y - 698] = true;
    }
    EXPECT_TRUE(sawEach[0] && sawEach[1]);
}

TEST_F(Sweep, EndsAtTheFirstMuNotBelowTheEnd) {
    EXPECT_GE(Bifurcation::MU, static_cast<long double>(49.40244910553017));
    EXPECT_NEAR(static_cast<double>(Bifurcation::MU), 49.41228, 1e-4);
    EXPECT_LT(Bifurcation::MU - 0.037L, static_cast<long double>(49.40244910553017));
}

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

TEST_F(Sweep, DoublePrecisionWouldDrawADifferentChaoticBand) {
    // The check above has teeth only if the two precisions disagree: they do,
    // in the chaotic band, while the settled periodic rows agree.
    const std::vector<Point> extended = TestSupport::ReferenceDiagram<long double>();
    const std::vector<Point> doubled = TestSupport::ReferenceDiagram<double>();
    ASSERT_EQ(doubled.size(), extended.size());
    size_t differing = 0;
    for (size_t i = 0; i < extended.size(); ++i)
        differing += extended[i] == doubled[i] ? 0 : 1;
    EXPECT_GT(differing, 1000u);
    // The first 400 columns are periodic and agree row for row.
    for (size_t i = 0; i < 400 * 200; ++i)
        ASSERT_EQ(extended[i], doubled[i]) << "point " << i;
}

} // namespace
