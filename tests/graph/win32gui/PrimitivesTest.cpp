// Pixels, runs and the palette on the window: both targets, the clipping,
// the write modes on RGB values, and the pen cache.
#include "tests/graph/win32gui/DriverFixture.h"
#include "tests/support/LockWaiter.h"

namespace {

using namespace DriverFixture;

class PrimitivesTest : public OpenWindowTest {
protected:
    // The same colour in the back buffer and on the screen.
    void ExpectBoth(int x, int y, COLORREF color) {
        EXPECT_EQ(InBackBuffer(x, y), color) << "back buffer at " << x << ", " << y;
        EXPECT_EQ(OnScreen(x, y), color) << "screen at " << x << ", " << y;
    }
};

// Pixels at the corners and runs, long and short, across the viewport reach
// its edge pixels and not the ones beyond; runs just outside it draw
// nothing. The whole screen and an inner viewport both.
TEST_F(PrimitivesTest, PixelsAndRunsReachEachEdgeOfTheViewportAndNoFurther) {
    const RECT viewPorts[] = {{0, 0, 639, 479}, {100, 100, 199, 149}};
    for (const RECT& v : viewPorts) {
        Graph::SetViewPort(0, 0, 639, 479, true);
        Graph::ClearViewPort();
        Graph::SetViewPort(v.left, v.top, v.right, v.bottom, true);
        const int w = v.right - v.left, h = v.bottom - v.top;
        for (int x : {-1, 0, w, w + 1})
            for (int y : {-1, 0, h, h + 1})
                Graph::PutPixel(x, y, 15);
        Graph::CurrentColor = 15;
        Graph::HLine(-5, w + 5, 2);
        Graph::HLine(w + 5, -5, h - 2); // ends exchanged
        Graph::VLine(2, -5, h + 5);
        Graph::VLine(w - 2, h + 5, -5);
        Graph::HLine(0, w, h + 1);
        Graph::VLine(w + 1, 0, h);
        Graph::HLine(w - 1, w + 3, 1); // two pixels left: drawn one by one
        Graph::VLine(1, h + 3, h - 1);
        // Viewport-relative: what the calls above leave inside.
        auto drawn = [&](int x, int y) {
            x -= v.left, y -= v.top;
            const bool corner = (x == 0 || x == w) && (y == 0 || y == h);
            return x >= 0 && x <= w && y >= 0 && y <= h &&
                           (corner || y == 2 || y == h - 2 || x == 2 || x == w - 2 ||
                            (y == 1 && x >= w - 1) || (x == 1 && y >= h - 1))
                       ? White
                       : Black;
        };
        EXPECT_EQ(0, Mismatches(std::max(0, v.left - 1), std::max(0, v.top - 1),
                                std::min(639, v.right + 1), std::min(479, v.bottom + 1), drawn));
    }
}

// The modes work on RGB values, not palette indexes; xor twice restores.
TEST_F(PrimitivesTest, WriteModesCombineRgbValuesAndPixelsReadBackAsTheLowestIndex) {
    Graph::PutPixel(20, 20, 1);  // (0, 0, 168)
    Graph::PutPixel(25, 20, 14); // (252, 252, 84)
    Graph::CurrentColor = 15;
    Graph::CurrentWriteMode = 1;
    Graph::HLine(18, 30, 20);
    ExpectBoth(20, 20, White ^ Blue);
    Graph::HLine(18, 30, 20);
    ExpectBoth(20, 20, Blue);
    ExpectBoth(25, 20, RGB(252, 252, 84));
    ExpectBoth(18, 20, Black);
    Graph::CurrentColor = 4; // (168, 0, 0)
    Graph::CurrentWriteMode = 2;
    Graph::DirectPutPixel(20, 20);
    Graph::DirectPutPixel(20, 20);
    ExpectBoth(20, 20, RGB(168, 0, 168));
    Graph::CurrentColor = 9; // (84, 84, 252)
    Graph::CurrentWriteMode = 3;
    Graph::DirectPutPixel(20, 20);
    ExpectBoth(20, 20, RGB(0, 0, 168 & 252));
    // Pixels read back as the lowest palette index of their colour; a changed
    // entry reaches later drawing through a new pen.
    Graph::CurrentWriteMode = 0;
    Graph::PutPixel(5, 5, 31); // the same colour as 15
    Graph::PutPixel(6, 5, 16); // the same colour as 0
    Graph::PutPixel(7, 5, 200);
    EXPECT_EQ(Graph::GetPixel(5, 5), 15);
    EXPECT_EQ(Graph::GetPixel(6, 5), 0);
    EXPECT_EQ(Graph::GetPixel(7, 5), 200);
    Graph::CurrentColor = 3;
    Graph::HLine(0, 100, 10); // makes the cached pen of colour 3
    Graph::SetRGBPalette(3, 255, 0, 0);
    Graph::HLine(0, 100, 11);
    ExpectBoth(50, 10, RGB(0, 168, 168));
    ExpectBoth(50, 11, RGB(255, 0, 0));
}

// Each operation started while the lock is held, as while the window
// repaints, waits for it; and finding the window gone when it gets the lock,
// as after WM_DESTROY, it draws nothing.
TEST_F(PrimitivesTest, EveryOperationWaitsForTheDrawingLockAndLooksAtTheWindowWithinIt) {
    static const std::uint16_t image[] = {1, 0, 1, 0, 0, 0, 15, 15, 15, 15}; // 2 × 2
    void (*const operations[])() = {
        [] { Graph::PutPixel(5, 5, 15); },   [] { Graph::DirectPutPixel(5, 5); },
        [] { Graph::HLine(2, 9, 5); },       [] { Graph::VLine(5, 2, 9); },
        [] { Graph::GetPixel(5, 5); },       [] { Graph::SetRGBPalette(0, 255, 255, 255); },
        [] { Graph::OutTextXY(2, 2, "A"); }, [] { Graph::PutImage(4, 4, image, 0); },
    };
    Graph::CurrentColor = 15;
    for (int i = 0; i < 8; ++i) {
        EnterCriticalSection(&Win32Gui::GraphDrawing);
        {
            TestSupport::LockWaiter drawing(operations[i]);
            EXPECT_TRUE(drawing.WaitsOn(&Win32Gui::GraphDrawing, sizeof Win32Gui::GraphDrawing))
                << i;
            EXPECT_TRUE(Win32Gui::DrawToScreen) << i << " changed it before the lock";
            Win32Gui::GraphRunning = false;
            LeaveCriticalSection(&Win32Gui::GraphDrawing);
        }
        ASSERT_EQ(Mismatches(0, 0, 15, 15, [](int, int) { return Black; }), 0) << i;
        Win32Gui::DrawingLock hold;
        Win32Gui::GraphRunning = true;
        ASSERT_EQ(Win32Gui::PaletteColor(0), Black) << i;
    }
    Graph::GraphResult = Graph::GraphOk;
}

} // namespace
