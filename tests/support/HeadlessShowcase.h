// The showcase drawn in this process on a headless screen, the picture that
// a real window showing the showcase must equal.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"
#include "examples/Showcase.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace TestSupport {

// The showcase drawn in this process on a headless screen of the given size
// without a taskbar, as the X display has none: what the window shows once
// the message thread has repainted what images put into the back buffer.
inline WinApi::HeadlessDesktop::Pixels DrawShowcaseHeadless(int width, int height) {
    using namespace std::chrono_literals;
    auto owned = std::make_unique<WinApi::HeadlessDesktop>(
        WinApi::ScreenInfo{width, height, {0, 0, width, height}});
    WinApi::HeadlessDesktop* desktop = owned.get();
    WinApi::SelectDesktop(std::move(owned));
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Graph::InitializeGraph();
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    Showcase::DrawShowcase();

    // The back buffer holds the whole picture; the window must come to show
    // all of it, images included, once the message thread has repainted.
    WinApi::HeadlessDesktop::Pixels shown;
    bool same = false;
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!same && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
        Win32Gui::DrawingLock hold;
        shown = desktop->ClientPixels(Win32Gui::MainWindow).value_or(shown);
        same = shown.Width > 0;
        for (int y = 0; same && y < shown.Height; ++y)
            for (int x = 0; same && x < shown.Width; ++x) {
                COLORREF back = GetPixel(Win32Gui::BitmapDC, x, y);
                same = shown.Values[static_cast<size_t>(y) * shown.Width + x] ==
                       ((std::uint32_t{GetRValue(back)} << 16) |
                        (std::uint32_t{GetGValue(back)} << 8) | GetBValue(back));
            }
    }
    EXPECT_TRUE(same) << "the headless window never showed the whole back buffer";
    Graph::CloseGraph();
    Graph::GraphExitProc();
    return shown;
}

} // namespace TestSupport
