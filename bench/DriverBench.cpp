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

// Opening the graphics again: the window's set-up and the handshake in which
// the opening thread polls the message thread until the window is ready. The
// CPU time is the whole process's, so that a poll which takes the cores from
// the threads it waits for shows.
void OpenGraphicsHandshake(benchmark::State& state) {
    OpenGraphicsOnce();
    for (auto _ : state) {
        state.PauseTiming();
        Graph::CloseGraph();
        state.ResumeTiming();
        std::int16_t driver = 0, mode = 0;
        Graph::DetectGraph(driver, mode);
        Graph::InitGraph(driver, mode, "");
        if (Graph::GraphResult != Graph::GraphOk) {
            state.SkipWithError("the graphics did not open");
            break;
        }
    }
}
BENCHMARK(OpenGraphicsHandshake)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// One poll of a thread that is still running, as the handshake polls.
void GetExitCodeThreadWhileRunning(benchmark::State& state) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(
        nullptr, 0, [](LPVOID event) -> DWORD { return WaitForSingleObject(event, INFINITE); },
        stop, 0, nullptr);
    for (auto _ : state) {
        DWORD code = 0;
        GetExitCodeThread(thread, &code);
        benchmark::DoNotOptimize(code);
    }
    SetEvent(stop);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(stop);
}
BENCHMARK(GetExitCodeThreadWhileRunning);

} // namespace

BENCHMARK_MAIN();
