#include "tests/graph/PixelRecorder.h"

#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace Graph;
using PixelRecorder::Pixel;
using PixelRecorder::Point;
using PixelRecorder::RunCall;

namespace {

using RunTest = DrawingTest;

std::vector<Point> Row(int x1, int x2, int y) {
    std::vector<Point> points;
    for (int x = x1; x <= x2; ++x)
        points.emplace_back(x, y);
    return points;
}

std::vector<Point> Column(int x, int y1, int y2) {
    std::vector<Point> points;
    for (int y = y1; y <= y2; ++y)
        points.emplace_back(x, y);
    return points;
}

TEST_F(RunTest, HorizontalRunIsDrawnLeftToRightWhicheverEndComesFirst) {
    HLineDefault(10, 5, 0);
    EXPECT_EQ(PixelRecorder::Positions(), Row(5, 10, 0));
}

TEST_F(RunTest, HorizontalRunIsTranslatedAndClippedOnlyWhenClipping) {
    UseViewPort(10, 10, 20, 20, true);
    CurrentColor = 6;
    HLineDefault(-5, 50, 3);
    HLineDefault(0, 10, 11); // screen row 21: below
    EXPECT_EQ(PixelRecorder::Positions(), Row(10, 20, 13));
    EXPECT_EQ(PixelRecorder::Pixels.front().Color, 6);

    PixelRecorder::Pixels.clear();
    ClipPixels = false;
    HLineDefault(-5, 50, 11);
    EXPECT_EQ(PixelRecorder::Positions(), Row(5, 60, 21));
}

TEST_F(RunTest, VerticalRunIsDrawnTopToBottomWhicheverEndComesFirst) {
    VLineDefault(3, 9, 4);
    EXPECT_EQ(PixelRecorder::Positions(), Column(3, 4, 9));
}

TEST_F(RunTest, VerticalRunIsTranslatedAndClippedOnlyWhenClipping) {
    UseViewPort(10, 10, 20, 20, true);
    VLineDefault(3, 50, -5);
    VLineDefault(-1, 0, 10); // screen column 9: left
    EXPECT_EQ(PixelRecorder::Positions(), Column(13, 10, 20));

    PixelRecorder::Pixels.clear();
    ClipPixels = false;
    VLineDefault(-1, 50, -5);
    EXPECT_EQ(PixelRecorder::Positions(), Column(9, 5, 60));
}

class PatternLineTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        HLine = PixelRecorder::RecordHLine;
        CurrentColor = 12;
        CurrentBkColor = 3;
        CurrentWriteMode = 1; // a fill row is drawn in copy mode regardless
    }
};

TEST_F(PatternLineTest, SolidRowIsOneRunInTheFillColour) {
    FillSettings.Pattern = 1;
    UseViewPort(10, 20, 100, 100, true);
    PatternLineDefault(2, 30, 7);
    EXPECT_EQ(PixelRecorder::Runs, (std::vector<RunCall>{{'H', 2, 30, 7, 12, 0, 0}}));
    EXPECT_TRUE(PixelRecorder::Pixels.empty());
}

TEST_F(PatternLineTest, EmptyRowIsOneRunInTheBackgroundColour) {
    FillSettings.Pattern = 0;
    PatternLineDefault(2, 30, 7);
    EXPECT_EQ(PixelRecorder::Runs, (std::vector<RunCall>{{'H', 2, 30, 7, 3, 0, 0}}));
}

TEST_F(PatternLineTest, RowIsChosenByTheScreenY) {
    FillSettings.Pattern = 2; // rows 2, 3, 6 and 7 are clear
    UseViewPort(0, 2, 100, 100, true);
    PatternLineDefault(0, 9, 0); // screen row 2
    PatternLineDefault(0, 9, 2); // screen row 4
    const std::vector<RunCall> expected = {{'H', 0, 9, 0, 3, 0, 0}, {'H', 0, 9, 2, 12, 0, 0}};
    EXPECT_EQ(PixelRecorder::Runs, expected);
}

TEST_F(PatternLineTest, MixedRowIsDrawnPixelByPixelFromTheScreenX) {
    FillSettings.Pattern = 3; // row 0 is 01: only screen x with low bits 7
    UseViewPort(3, 8, 100, 100, true);
    PatternLineDefault(0, 12, 0); // screen x 3 to 15 on row 8
    std::vector<Pixel> expected;
    for (int x = 3; x <= 15; ++x)
        expected.push_back({x, 8, static_cast<std::uint16_t>(x % 8 == 7 ? 12 : 3), 0});
    EXPECT_EQ(PixelRecorder::Pixels, expected);
    EXPECT_TRUE(PixelRecorder::Runs.empty());
}

TEST_F(PatternLineTest, HighBitOfAPatternByteIsTheLeftmostPixel) {
    FillSettings.Pattern = UserFillPattern;
    FillPatternTable[UserFillPattern][5] = 0x81;
    PatternLineDefault(0, 9, 5);
    std::vector<Point> fill;
    for (const Pixel& pixel : PixelRecorder::Pixels)
        if (pixel.Color == 12)
            fill.emplace_back(pixel.X, pixel.Y);
    EXPECT_EQ(fill, (std::vector<Point>{{0, 5}, {7, 5}, {8, 5}}));
    EXPECT_EQ(PixelRecorder::Pixels.size(), 10u);
}

TEST_F(PatternLineTest, RowIsClippedEvenWhenClippingIsOff) {
    UseViewPort(10, 10, 20, 20, false);
    FillSettings.Pattern = 3;
    PatternLineDefault(-5, 50, 0);
    EXPECT_EQ(PixelRecorder::Positions(), Row(10, 20, 10));
    FillSettings.Pattern = 1;
    PatternLineDefault(-5, 50, 0);
    PatternLineDefault(-5, 50, 11); // screen row 21: below
    EXPECT_EQ(PixelRecorder::Runs, (std::vector<RunCall>{{'H', 0, 10, 0, 12, 0, 0}}));
}

TEST_F(PatternLineTest, ReversedSpanCoversTheSamePixels) {
    FillSettings.Pattern = 3;
    PatternLineDefault(12, 0, 0);
    EXPECT_EQ(PixelRecorder::Positions(), Row(0, 12, 0));
}

TEST_F(PatternLineTest, ColourAndWriteModeAreRestoredOnEveryPath) {
    for (std::uint16_t pattern : {0, 1, 3}) {
        FillSettings.Pattern = pattern;
        PatternLineDefault(0, 20, 0);
        EXPECT_EQ(CurrentColor, 12);
        EXPECT_EQ(CurrentWriteMode, 1);
    }
    for (const Pixel& pixel : PixelRecorder::Pixels)
        EXPECT_EQ(pixel.WriteMode, 0);
    for (const RunCall& run : PixelRecorder::Runs)
        EXPECT_EQ(run.WriteMode, 0);
    EXPECT_EQ(PixelRecorder::Runs.size(), 2u);
    EXPECT_EQ(PixelRecorder::Pixels.size(), 21u);
}

TEST_F(RunTest, ClearingFillsTheViewPortWithTheBackgroundAndRestoresAttributes) {
    UseViewPort(5, 5, 9, 8, true);
    CurrentColor = 14;
    CurrentBkColor = 3;
    CurrentWriteMode = 2;
    SetLineStyle(LineStyleDotted, 0, ThicknessThick);
    const std::array<bool, 16> patterns = std::to_array(LinePatterns);
    CurrentX = 4;
    CurrentY = 2;
    ClearViewPortDefault();
    EXPECT_EQ(PixelRecorder::PositionSet(), PixelRecorder::Rectangle(5, 5, 9, 8));
    EXPECT_EQ(PixelRecorder::Pixels.size(), 20u);
    for (const Pixel& pixel : PixelRecorder::Pixels) {
        EXPECT_EQ(pixel.Color, 3);
        EXPECT_EQ(pixel.WriteMode, 0);
    }
    EXPECT_EQ(CurrentColor, 14);
    EXPECT_EQ(CurrentWriteMode, 2);
    EXPECT_EQ(LineInfo.LineStyle, LineStyleDotted);
    EXPECT_EQ(LineInfo.Pattern, 0xCCCC);
    EXPECT_EQ(LineInfo.Thickness, ThicknessThick);
    EXPECT_EQ(std::to_array(LinePatterns), patterns);
    EXPECT_EQ(CurrentX, 0);
    EXPECT_EQ(CurrentY, 0);
}

TEST_F(RunTest, ClearingDrawsSolidRunsThroughTheHLineSlot) {
    HLine = PixelRecorder::RecordHLine;
    UseViewPort(5, 5, 9, 7, true);
    SetLineStyle(LineStyleDashed, 0, ThicknessNormal);
    CurrentBkColor = 2;
    ClearViewPortDefault();
    const std::vector<RunCall> expected = {
        {'H', 0, 4, 0, 2, 0, 0}, {'H', 0, 4, 1, 2, 0, 0}, {'H', 0, 4, 2, 2, 0, 0}};
    EXPECT_EQ(PixelRecorder::Runs, expected);
    EXPECT_EQ(LineInfo.LineStyle, LineStyleDashed);
}

} // namespace
