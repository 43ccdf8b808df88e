// A fixture for the window driver's tests: a headless desktop of the test's
// size, the kernel started as at program start (so the driver registers its
// modes from that desktop), and everything closed and freed afterwards.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "tests/support/Eventually.h"

#include <gtest/gtest.h>

#include <vector>

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
        // The kernel's exit procedure frees the registry and puts back the
        // exit procedure it replaced.
        Graph::GraphExitProc();
        Graph::GraphResult = Graph::GraphOk;
        Graph::CharMessageHandler = nullptr;
        Graph::MouseMessageHandler = nullptr;
        Win32Gui::DrawToBitmap = true;
        Win32Gui::DrawToScreen = true;
        Graph::CurrentWriteMode = 0;
    }

    // Opens graphics as the plotter does: detection, then InitGraph.
    void OpenDetected() {
        std::int16_t driver = 0, mode = 0;
        Graph::DetectGraph(driver, mode);
        Graph::InitGraph(driver, mode, "");
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
    // The rectangle's pixels, edges included, on the screen or in the back buffer.
    std::vector<COLORREF> Area(int left, int top, int right, int bottom, bool screen) {
        std::vector<COLORREF> pixels;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                pixels.push_back(screen ? OnScreen(x, y) : InBackBuffer(x, y));
        return pixels;
    }
};

// Default palette colours as COLORREFs.
constexpr COLORREF White = RGB(252, 252, 252);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 168);

} // namespace DriverFixture
