// The window driver's pixel operation on the headless desktop: the lock, the
// palette look-up and the two surface writes of every plotted point.
#include "bench/HeadlessGraphics.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <benchmark/benchmark.h>

namespace {

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

// Argument 0: the back buffer's memory context; 1: the window's context.
void SetPixelVOnATarget(benchmark::State& state) {
    OpenGraphicsOnce();
    HDC target = state.range(0) == 0 ? Win32Gui::BitmapDC : Win32Gui::WinDC;
    state.SetLabel(state.range(0) == 0 ? "back buffer" : "window");
    int x = 0;
    for (auto _ : state) {
        SetPixelV(target, x, 5, RGB(252, 252, 252));
        x = (x + 1) & 1023;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetPixelVOnATarget)->Arg(0)->Arg(1);

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
