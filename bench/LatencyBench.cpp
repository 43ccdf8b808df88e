// From drawing a point to seeing it on the screen: the driver draws one point
// in a colour it has not shown there before, and the benchmark reads that
// pixel back from the X server until it has that colour. Run under xvfb-run;
// the graphics open on the display as the plotter opens them.
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

// Last: Xlib's macros (None, Bool, Status) would clash with other names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The graph window: the one top-level window of ours on a display without a
// window manager, found by its title.
::Window FindGraphWindow(Display* display) {
    ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    ::Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, "Graph window application") == 0)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

unsigned long PixelOnScreen(Display* display, ::Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return ~0ul;
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

void DrawnPointToScreen(benchmark::State& state) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("needs an X display: run under xvfb-run");
        return;
    }
    static bool started =
        (Graph::BindDisplayDriver(Win32Gui::Driver), Graph::InitializeGraph(), true);
    benchmark::DoNotOptimize(started);
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    ::Window window = Graph::GraphResult == Graph::GraphOk ? FindGraphWindow(display) : 0;
    if (!window) {
        state.SkipWithError("the graph window did not open");
        XCloseDisplay(display);
        return;
    }
    // Two colours of the palette, alternated so that every point changes what
    // the screen shows.
    const std::uint16_t colours[] = {15, 12};
    unsigned long shown[2];
    {
        Win32Gui::DrawingLock hold;
        for (int i = 0; i < 2; ++i) {
            COLORREF c = Win32Gui::PaletteColor(colours[i]);
            shown[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    int x = 10, round = 0;
    double worst = 0;
    int late = 0; // points shown more than one 60 Hz frame after they were drawn
    for (auto _ : state) {
        int which = round++ & 1;
        auto start = std::chrono::steady_clock::now();
        Win32Gui::PutPixel16Win32GUI(static_cast<std::int16_t>(x), 10, colours[which]);
        double waited = 0;
        // Polled every 100 us: a busy poll would take the cores that the
        // desktop thread and the X server need to show the point.
        while (PixelOnScreen(display, window, x, 10) != shown[which] && waited < 1.0) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            waited =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(waited);
        worst = waited > worst ? waited : worst;
        late += waited > 0.0167 ? 1 : 0;
        x = x < 500 ? x + 1 : 10;
    }
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["late"] = late;
    Graph::CloseGraph();
    XCloseDisplay(display);
}
BENCHMARK(DrawnPointToScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace

BENCHMARK_MAIN();
