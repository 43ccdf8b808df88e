// What a window costs before the first point can be drawn, phase by phase:
// SDL's video set-up (the X connection, the keyboard and its input method),
// the window, and its first paint. Run under xvfb-run; the environment it is
// run in (input method settings) is what is measured.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point& mark) {
    Clock::time_point now = Clock::now();
    double ms = std::chrono::duration<double, std::milli>(now - mark).count();
    mark = now;
    return ms;
}

void SdlWindowStartup(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display: run under xvfb-run");
        return;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    double video = 0, window = 0, paint = 0;
    for (auto _ : state) {
        Clock::time_point mark = Clock::now();
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError((std::string("SDL_Init: ") + SDL_GetError()).c_str());
            return;
        }
        video += MillisecondsSince(mark);
        SDL_Rect usable;
        SDL_GetDisplayUsableBounds(0, &usable);
        SDL_Window* shown = SDL_CreateWindow("Start-up", usable.x, usable.y, usable.w,
                                             usable.h - 23, SDL_WINDOW_SHOWN);
        SDL_Surface* surface = shown ? SDL_GetWindowSurface(shown) : nullptr;
        window += MillisecondsSince(mark);
        if (!surface) {
            state.SkipWithError("no window");
            SDL_Quit();
            return;
        }
        SDL_FillRect(surface, nullptr, 0);
        SDL_UpdateWindowSurface(shown);
        paint += MillisecondsSince(mark);
        SDL_DestroyWindow(shown);
        SDL_Quit();
    }
    using benchmark::Counter;
    state.counters["video_ms"] = Counter(video, Counter::kAvgIterations);
    state.counters["window_ms"] = Counter(window, Counter::kAvgIterations);
    state.counters["first_paint_ms"] = Counter(paint, Counter::kAvgIterations);
}
BENCHMARK(SdlWindowStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
