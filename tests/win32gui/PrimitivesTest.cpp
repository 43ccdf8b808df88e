// Pixels, runs and the palette on the window: both targets, the clipping,
// the write modes on RGB values, the pen cache and the nearest-colour search.
#include "tests/win32gui/DriverFixture.h"

namespace {

using namespace DriverFixture;

class PrimitivesTest : public WindowDriverTest {
protected:
    void SetUp() override {
        WindowDriverTest::SetUp();
        Open(15, 30009); // 640 × 480 × 256
        ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    }
    // The same colour in the back buffer and on the screen.
    void ExpectBoth(int x, int y, COLORREF color) {
        EXPECT_EQ(InBackBuffer(x, y), color) << "back buffer at " << x << ", " << y;
        EXPECT_EQ(OnScreen(x, y), color) << "screen at " << x << ", " << y;
    }
};

TEST_F(PrimitivesTest, PixelsAndRunsAreClippedToTheViewportAndDrawnOnBothTargets) {
    Graph::PutPixel(-1, 0, 15);
    Graph::PutPixel(640, 0, 15);
    Graph::HLine(-9, -2, 1);
    for (int x = 0; x < 10; ++x)
        ExpectBoth(x, 1, Black);
    ExpectBoth(0, 0, Black);
    ExpectBoth(639, 0, Black);
    Graph::CurrentColor = 15;
    Graph::HLine(-5, 5, 2);
    ExpectBoth(0, 2, White);
    ExpectBoth(5, 2, White);
    Graph::VLine(639, 470, 600);
    ExpectBoth(639, 479, White);
    Graph::SetViewPort(100, 100, 199, 199, true);
    Graph::PutPixel(0, 0, 1);
    Graph::PutPixel(100, 0, 1); // outside the viewport
    ExpectBoth(100, 100, Blue);
    ExpectBoth(200, 100, Black);
}

TEST_F(PrimitivesTest, PixelsReadBackAsTheLowestPaletteIndexOfTheirColour) {
    Graph::PutPixel(5, 5, 31); // the same colour as 15
    Graph::PutPixel(6, 5, 16); // the same colour as 0
    Graph::PutPixel(7, 5, 200);
    EXPECT_EQ(Graph::GetPixel(5, 5), 15);
    EXPECT_EQ(Graph::GetPixel(6, 5), 0);
    EXPECT_EQ(Graph::GetPixel(7, 5), 200);
    Win32Gui::DrawingLock hold;
    EXPECT_EQ(Win32Gui::GetPaletteEntry(168, 84, 0), 6);
    EXPECT_EQ(Win32Gui::GetPaletteEntry(255, 255, 255), 15);
    EXPECT_EQ(Win32Gui::GetPaletteEntry(0, 0, 0), 0);
    EXPECT_EQ(Win32Gui::GetPaletteEntry(170, 2, 1), 4); // nearest to (168, 0, 0)
}

TEST_F(PrimitivesTest, ShortAndLongRunsCoverExactlyTheirEnds) {
    Graph::CurrentColor = 15;
    Graph::HLine(10, 12, 50); // pixel by pixel
    Graph::HLine(13, 10, 60); // with a pen, ends exchanged
    for (int x = 8; x <= 15; ++x) {
        ExpectBoth(x, 50, x >= 10 && x <= 12 ? White : Black);
        ExpectBoth(x, 60, x >= 10 && x <= 13 ? White : Black);
    }
    Graph::VLine(30, 40, 37);
    for (int y = 35; y <= 42; ++y)
        ExpectBoth(30, y, y >= 37 && y <= 40 ? White : Black);
}

// The modes work on RGB values, not palette indexes; xor twice restores.
TEST_F(PrimitivesTest, WriteModesCombineRgbValuesAndXorTwiceRestoresThePicture) {
    Graph::PutPixel(20, 20, 1);  // (0, 0, 168)
    Graph::PutPixel(25, 20, 14); // (252, 252, 84)
    Graph::CurrentColor = 15;
    Graph::CurrentWriteMode = 1;
    Graph::HLine(18, 30, 20);
    ExpectBoth(20, 20, White ^ Blue);
    Graph::HLine(18, 30, 20);
    Graph::VLine(20, 19, 25);
    Graph::VLine(20, 19, 25);
    ExpectBoth(20, 20, Blue);
    ExpectBoth(25, 20, RGB(252, 252, 84));
    ExpectBoth(18, 20, Black);
    ExpectBoth(20, 24, Black);
    Graph::CurrentColor = 4; // (168, 0, 0)
    Graph::CurrentWriteMode = 2;
    Graph::DirectPutPixel(20, 20);
    Graph::DirectPutPixel(20, 20);
    ExpectBoth(20, 20, RGB(168, 0, 168));
    Graph::CurrentColor = 9; // (84, 84, 252)
    Graph::CurrentWriteMode = 3;
    Graph::DirectPutPixel(20, 20);
    ExpectBoth(20, 20, RGB(0, 0, 168 & 252));
}

TEST_F(PrimitivesTest, PaletteChangeAffectsLaterDrawingThroughANewPen) {
    Graph::CurrentColor = 3;
    Graph::HLine(0, 100, 10); // makes the cached pen of colour 3
    Graph::SetRGBPalette(3, 255, 0, 0);
    Graph::HLine(0, 100, 11);
    ExpectBoth(50, 10, RGB(0, 168, 168));
    ExpectBoth(50, 11, RGB(255, 0, 0));
    std::int16_t red = 0, green = 0, blue = 0;
    Graph::GetRGBPalette(3, red, green, blue);
    EXPECT_EQ(red, 255);
    EXPECT_EQ(green, 0);
    Graph::GraphResult = Graph::GraphOk;
    Graph::SetRGBPalette(256, 1, 2, 3);
    EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
}

TEST_F(PrimitivesTest, WithoutDrawToScreenOnlyARepaintShowsThePixel) {
    Win32Gui::DrawToScreen = false;
    Graph::PutPixel(70, 70, 15);
    EXPECT_EQ(InBackBuffer(70, 70), White);
    EXPECT_EQ(OnScreen(70, 70), Black);
    RECT area{60, 60, 80, 80};
    InvalidateRect(Win32Gui::MainWindow, &area, FALSE);
    EXPECT_TRUE(Eventually([&] { return OnScreen(70, 70) == White; }));
}

TEST_F(WindowDriverTest, SixteenColourPaletteHasSixteenEntries) {
    Open(13, 30009); // 640 × 480 × 16
    ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    Graph::SetRGBPalette(16, 1, 2, 3);
    EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
    Graph::PutPixel(1, 1, 6);
    EXPECT_EQ(Graph::GetPixel(1, 1), 6);
    EXPECT_EQ(InBackBuffer(1, 1), RGB(168, 84, 0));
}

} // namespace
