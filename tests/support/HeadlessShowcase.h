// The showcase drawn in this process on a headless screen, the picture that
// a real window showing the showcase must equal.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"
#include "examples/Showcase.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <gtest/gtest.h>

namespace TestSupport {

// The showcase drawn in this process on a headless screen of the given size
// without a taskbar, as the X display has none: the back buffer, which holds
// the whole picture a window must come to show, images included.
inline WinApi::HeadlessDesktop::Pixels DrawShowcaseHeadless(int width, int height) {
    WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>(
        WinApi::ScreenInfo{width, height, {0, 0, width, height}}));
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Graph::InitializeGraph();
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    Showcase::DrawShowcase();
    WinApi::HeadlessDesktop::Pixels shown{Graph::GetMaxX() + 1, Graph::GetMaxY() + 1, {}};
    {
        Win32Gui::DrawingLock hold;
        for (int i = 0; i < shown.Width * shown.Height; ++i) {
            const COLORREF back = GetPixel(Win32Gui::BitmapDC, i % shown.Width, i / shown.Width);
            shown.Values.push_back(std::uint32_t{GetRValue(back)} << 16 |
                                   std::uint32_t{GetGValue(back)} << 8 | GetBValue(back));
        }
    }
    Graph::CloseGraph();
    Graph::GraphExitProc();
    return shown;
}

} // namespace TestSupport
