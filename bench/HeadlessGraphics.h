// Graphics opened once per benchmark process, as the plotter opens them, on
// the headless desktop: the driver's real code with nothing shown.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <cstdlib>
#include <memory>

inline void OpenGraphicsOnce() {
    static bool opened = [] {
        WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>());
        Graph::BindDisplayDriver(Win32Gui::Driver);
        Graph::InitializeGraph();
        std::int16_t driver = 0, mode = 0;
        Graph::DetectGraph(driver, mode);
        Graph::InitGraph(driver, mode, "");
        return Graph::GraphResult == Graph::GraphOk;
    }();
    if (!opened)
        std::abort();
}
