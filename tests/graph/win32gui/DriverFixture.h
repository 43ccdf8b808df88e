// A fixture for the window driver's tests: a headless desktop of the test's
// size, the kernel started as at program start (so the driver registers its
// modes from that desktop), and everything closed and freed afterwards.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"
#include "graph/win32gui/Win32Gui.h"
#include "tests/graph/KernelFixture.h"
#include "tests/support/Eventually.h"

#include <functional>

namespace DriverFixture {

// The message thread repaints on its own time.
using TestSupport::Eventually;

class WindowDriverTest : public ::testing::Test {
protected:
    // Screen size for the test; the default is the headless desktop's.
    virtual WinApi::ScreenInfo ScreenFor() { return {1920, 1080, {0, 0, 1920, 1040}}; }

    void SetUp() override {
        auto desktop = std::make_unique<WinApi::HeadlessDesktop>(ScreenFor());
        Desktop = desktop.get();
        WinApi::SelectDesktop(std::move(desktop));
        Graph::BindDisplayDriver(Win32Gui::Driver);
        Graph::InitializeGraph();
    }

    void TearDown() override {
        if (Graph::IsGraphMode)
            Graph::CloseGraph();
        Kernel::ResetKernel();
        Win32Gui::DrawToBitmap = Win32Gui::DrawToScreen = true;
    }

    void Open(std::int16_t driver, std::int16_t mode) { Graph::InitGraph(driver, mode, ""); }

    // What the window shows at a client pixel, as a COLORREF.
    COLORREF OnScreen(int x, int y) { return Desktop->ClientPixel(Win32Gui::MainWindow, x, y); }

    // What the back buffer holds at a pixel, as a COLORREF.
    COLORREF InBackBuffer(int x, int y) {
        Win32Gui::DrawingLock hold;
        return GetPixel(Win32Gui::BitmapDC, x, y);
    }

    WinApi::HeadlessDesktop* Desktop = nullptr;
};

// With a 640 × 480 × 256 window open.
class OpenWindowTest : public WindowDriverTest {
protected:
    void SetUp() override {
        WindowDriverTest::SetUp();
        Open(15, 30009);
        ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    }
    // How many pixels of the rectangle, edges included, differ from the
    // expected colour, on the screen and in the back buffer together.
    int Mismatches(int left, int top, int right, int bottom,
                   const std::function<COLORREF(int, int)>& expected) {
        int count = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                count +=
                    (InBackBuffer(x, y) != expected(x, y)) + (OnScreen(x, y) != expected(x, y));
        return count;
    }
};

// Default palette colours as COLORREFs.
constexpr COLORREF White = RGB(252, 252, 252);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 168);

} // namespace DriverFixture
