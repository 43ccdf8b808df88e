// Solid, patterned and thick lines, walked as worked out by hand, and the
// line styles' patterns.
#include "tests/graph/KernelFixture.h"

namespace {

using namespace Graph;
using Kernel::Call;
using Kernel::Point;
using Points = std::vector<Point>;

using LineTest = DrawingTest;

TEST_F(LineTest, SlantedLinesArePixelsInTheAttributesStraightOnesRunsAndThickOnesThreeAcross) {
    HLine = Kernel::RecordHLine;
    VLine = Kernel::RecordVLine;
    SetViewPort(10, 20, 100, 100, true);
    CurrentColor = 4;
    CurrentWriteMode = 1;
    LineDefault(0, 0, 2, 1); // the half step goes to the larger coordinate
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
    LineDefault(14, 10, 15, 11); // a diagonal counts as x-major: pixels stacked
    const Points drawn = Kernel::TakePositions();
    EXPECT_EQ(drawn.size(), 15u);
    EXPECT_EQ(std::set<Point>(drawn.begin(), drawn.end()),
              Kernel::Picture(9, 9, {"     #", "###  ##", " ### ##", " ###  #"}));
}

// A predefined style ignores the caller's pattern; a user pattern's bit 15
// is phase 0.
TEST_F(LineTest, StylesTakeTheirPatternAndItsPhaseComesFromScreenOrOrdinal) {
    SetLineStyle(LineStyleCenter, 0x1234, ThicknessNormal);
    EXPECT_EQ(LineInfo.Pattern, 0xFC78);
    SetLineStyle(LineStyleDotted, 0x1234, ThicknessNormal); // 0xCCCC, as the pixels show
    SetViewPort(3, 2, 600, 400, true);
    LineDefault(12, 5, 0, 5); // screen x 15 down to 3
    EXPECT_EQ(Kernel::TakePositions(), (Points{{4, 7}, {5, 7}, {8, 7}, {9, 7}, {12, 7}, {13, 7}}));
    LineDefault(1, 0, 1, 12); // screen y 2 to 14
    EXPECT_EQ(Kernel::TakePositions(), (Points{{4, 4}, {4, 5}, {4, 8}, {4, 9}, {4, 12}, {4, 13}}));
    SetViewPort(0, 0, 639, 479, true);
    LineDefault(0, 0, 6, 2);
    EXPECT_EQ(Kernel::TakePositions(), (Points{{0, 0}, {1, 0}, {4, 1}, {5, 2}})); // of 7 pixels
    SetLineStyle(LineStyleUser, 0x4001, ThicknessThick);
    std::vector<bool> expected(16, false);
    expected[1] = expected[15] = true;
    EXPECT_EQ(std::vector<bool>(LinePatterns, LinePatterns + 16), expected);
}

} // namespace
