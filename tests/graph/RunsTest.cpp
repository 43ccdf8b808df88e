// Horizontal and vertical runs, fill-pattern rows and clearing the viewport.
#include "tests/graph/KernelFixture.h"

#include <array>

namespace {

using namespace Graph;
using Kernel::Call;
using Kernel::Point;

// Every point of a row (y1 = y2) or column (x1 = x2), in the order given by
// the lists, one after another.
std::vector<Point> Spans(std::initializer_list<std::array<int, 4>> spans) {
    std::vector<Point> points;
    for (auto [x1, y1, x2, y2] : spans)
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                points.emplace_back(x, y);
    return points;
}

using RunTest = DrawingTest;

TEST_F(RunTest, RunsAreAscendingAndClippedWhenClippingAndPatternRowsRunsOrPixels) {
    SetViewPort(10, 10, 20, 20, true);
    HLineDefault(50, -5, 3);
    HLineDefault(0, 10, 11); // screen row 21: below
    VLineDefault(3, 50, -5);
    EXPECT_EQ(Kernel::TakePositions(), Spans({{10, 13, 20, 13}, {13, 10, 13, 20}}));
    ClipPixels = false;
    HLineDefault(2, -1, 11);
    VLineDefault(-1, 2, -1);
    EXPECT_EQ(Kernel::TakePositions(), Spans({{9, 21, 12, 21}, {9, 9, 9, 12}}));

    // Solid and empty rows are one run in the fill or background colour (the
    // second pattern has rows 2, 3, 6 and 7 clear); mixed rows are pixels whose
    // high bit is the leftmost, cut to the viewport though ClipPixels is off.
    // A fill row is drawn in copy mode regardless, and the attributes come back.
    SetViewPort(0, 0, 639, 479, true);
    HLine = Kernel::RecordHLine;
    CurrentColor = 12;
    CurrentBkColor = 3;
    CurrentWriteMode = 1;
    for (std::uint16_t pattern : {1, 0, 2, 2}) {
        FillSettings.Pattern = pattern;
        PatternLineDefault(2, 30, static_cast<std::int16_t>(Kernel::Calls.size() * 2 + 3));
    }
    std::vector<Call> expected{{'H', 2, 30, 3, 12, 0},
                               {'H', 2, 30, 5, 3, 0},
                               {'H', 2, 30, 7, 3, 0},
                               {'H', 2, 30, 9, 12, 0}};
    FillPatternTable[UserFillPattern][5] = 0xC1;
    FillSettings.Pattern = UserFillPattern;
    SetViewPort(6, 5, 20, 20, false);
    PatternLineDefault(-5, 50, 0); // screen x 6 to 20 on row 5
    for (int x = 6; x <= 20; ++x)
        expected.push_back(
            {'P', x, 5, 0, static_cast<std::uint16_t>(x % 8 < 2 || x % 8 == 7 ? 12 : 3), 0});
    EXPECT_EQ(Kernel::Calls, expected);
    EXPECT_EQ(std::make_pair(int{CurrentColor}, int{CurrentWriteMode}), std::make_pair(12, 1));
}

// Clearing draws with a solid style of its own and puts the caller's back
// through SetLineStyle, which takes a predefined style's pattern from the
// table; a style SetLineStyle would refuse comes back as it was.
TEST_F(RunTest, ClearingFillsTheViewPortWithTheBackgroundAndRestoresTheAttributes) {
    HLine = Kernel::RecordHLine;
    SetViewPort(5, 5, 9, 7, true);
    CurrentColor = 14;
    CurrentBkColor = 2;
    CurrentWriteMode = 2;
    SetLineStyle(LineStyleDashed, 0, ThicknessThick);
    CurrentX = 4;
    ClearViewPortDefault();
    EXPECT_EQ(
        Kernel::Calls,
        (std::vector<Call>{{'H', 0, 4, 0, 2, 0}, {'H', 0, 4, 1, 2, 0}, {'H', 0, 4, 2, 2, 0}}));
    EXPECT_EQ((std::vector<int>{CurrentColor, CurrentWriteMode, LinePatterns[5], CurrentX}),
              (std::vector<int>{14, 2, false, 0}));
    const auto clearedStyle = [] {
        ClearViewPortDefault();
        return std::vector<int>{LineInfo.LineStyle, LineInfo.Pattern, LineInfo.Thickness,
                                GraphResult};
    };
    EXPECT_EQ(clearedStyle(), (std::vector<int>{LineStyleDashed, 0xF8F8, ThicknessThick, GraphOk}));
    SetLineStyle(LineStyleUser, 0x1234, ThicknessNormal);
    GraphDefaults();
    EXPECT_EQ(clearedStyle(), (std::vector<int>{0, 0xFFFF, 1, GraphOk}));
    LineInfo = {LineStyleUser, 0x1234, 2};
    EXPECT_EQ(clearedStyle(), (std::vector<int>{LineStyleUser, 0x1234, 2, GraphOk}));
}

} // namespace
