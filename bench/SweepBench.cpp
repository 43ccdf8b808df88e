// The plotter's sweep: through the kernel's operation table into an in-memory
// pixel operation, beside the bare arithmetic of the same sweep writing the
// same memory. The difference is what the table and the kernel cost.
#include "graph/Graph.h"
#include "plotter/Bifurcation.h"
#include "runtime/FloatingPoint.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1017;
std::vector<std::uint32_t> Frame(Width* Height);
constexpr std::uint32_t White = 0xFCFCFC;

// A driver's pixel operation in miniature: viewport offset, clipping, and one
// memory write.
void MemoryPutPixel(std::int16_t x, std::int16_t y, std::uint16_t) {
    int sx = x + Graph::StartXViewPort;
    int sy = y + Graph::StartYViewPort;
    if (Graph::ClipPixels &&
        (sx < Graph::StartXViewPort || sx > Graph::StartXViewPort + Graph::ViewWidth ||
         sy < Graph::StartYViewPort || sy > Graph::StartYViewPort + Graph::ViewHeight))
        return;
    Frame[static_cast<size_t>(sy * Width + sx)] = White;
}

void SweepThroughTheTable(benchmark::State& state) {
    Graph::PutPixel = MemoryPutPixel;
    Graph::StartXViewPort = 0;
    Graph::StartYViewPort = 0;
    Graph::ViewWidth = Width - 1;
    Graph::ViewHeight = Height - 1;
    Graph::ClipPixels = true;
    for (auto _ : state) {
        Bifurcation::Sweep();
        benchmark::DoNotOptimize(Frame.data());
    }
    state.SetItemsProcessed(state.iterations() * 252400);
}
BENCHMARK(SweepThroughTheTable)->Unit(benchmark::kMillisecond);

void BareSweepArithmetic(benchmark::State& state) {
    for (auto _ : state) {
        long double mu = 2.718281828459045;
        int column = 1;
        do {
            long double x = 0.5;
            const long double r = std::log(mu);
            for (int i = 0; i < 300; ++i)
                x = (x * r) * (1 - x);
            for (int i = 0; i < 200; ++i) {
                x = (x * r) * (1 - x);
                std::int32_t row = Runtime::Round((1 - x) * 700);
                Frame[static_cast<size_t>(row * Width + column)] = White;
            }
            mu = mu + static_cast<long double>(0.037);
            ++column;
        } while (!(mu >= static_cast<long double>(49.40244910553017)));
        benchmark::DoNotOptimize(Frame.data());
    }
    state.SetItemsProcessed(state.iterations() * 252400);
}
BENCHMARK(BareSweepArithmetic)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
