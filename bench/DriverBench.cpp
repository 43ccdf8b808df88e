// The window driver's pixel operation on the headless desktop: the lock, the
// palette look-up and the two surface writes of every plotted point.
#include "desktop/headless/HeadlessDesktop.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <benchmark/benchmark.h>

namespace {

void OpenGraphicsOnce() {
    static bool opened = [] {
        WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>());
        Graph::InitializeGraph();
        std::int16_t driver = 0, mode = 0;
        Graph::DetectGraph(driver, mode);
        Graph::InitGraph(driver, mode, "");
        return Graph::GraphResult == Graph::GraphOk;
    }();
    if (!opened)
        std::abort();
}

void PutPixel16Win32GUIPerPixel(benchmark::State& state) {
    OpenGraphicsOnce();
    std::int16_t x = 0, y = 0;
    for (auto _ : state) {
        Win32Gui::PutPixel16Win32GUI(x, y, 15);
        if (++x == 1262) {
            x = 0;
            y = static_cast<std::int16_t>((y + 1) % 700);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PutPixel16Win32GUIPerPixel);

void SetPixelVOnTheBackBuffer(benchmark::State& state) {
    OpenGraphicsOnce();
    int x = 0;
    for (auto _ : state) {
        SetPixelV(Win32Gui::BitmapDC, x, 5, RGB(252, 252, 252));
        x = (x + 1) & 1023;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetPixelVOnTheBackBuffer);

void SetPixelVOnTheWindow(benchmark::State& state) {
    OpenGraphicsOnce();
    int x = 0;
    for (auto _ : state) {
        SetPixelV(Win32Gui::WinDC, x, 6, RGB(252, 252, 252));
        x = (x + 1) & 1023;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetPixelVOnTheWindow);

void UncontendedDrawingLock(benchmark::State& state) {
    OpenGraphicsOnce();
    for (auto _ : state) {
        EnterCriticalSection(&Win32Gui::GraphDrawing);
        LeaveCriticalSection(&Win32Gui::GraphDrawing);
    }
}
BENCHMARK(UncontendedDrawingLock);

} // namespace

BENCHMARK_MAIN();
