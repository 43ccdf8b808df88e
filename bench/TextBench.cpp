// Text and images on the headless desktop: the kernel's pixel-by-pixel text
// against the window driver's cached glyph transfers, in characters per
// second, and images in pixels per second, the kernel's default into a
// memory pixel driver against the driver's back-buffer image operation.
#include "bench/HeadlessGraphics.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

const Graph::ShortString Sample = "The quick brown fox jumps over the lazy dog";

// Argument: the colour; 15 takes the driver's one-transfer path.
void KernelOutTextXYDefault(benchmark::State& state) {
    OpenGraphicsOnce();
    Graph::CurrentColor = static_cast<std::uint16_t>(state.range(0));
    for (auto _ : state)
        Graph::OutTextXYDefault(10, 10, Sample);
    state.SetItemsProcessed(state.iterations() * Sample.Length());
}
BENCHMARK(KernelOutTextXYDefault)->Arg(15)->Arg(14);

void DriverOutTextXYWin32GUI(benchmark::State& state) {
    OpenGraphicsOnce();
    Graph::CurrentColor = static_cast<std::uint16_t>(state.range(0));
    Win32Gui::OutTextXYWin32GUI(10, 30, Sample); // builds the glyphs
    for (auto _ : state)
        Win32Gui::OutTextXYWin32GUI(10, 30, Sample);
    state.SetItemsProcessed(state.iterations() * Sample.Length());
}
BENCHMARK(DriverOutTextXYWin32GUI)->Arg(15)->Arg(14);

// A 64 × 64 image of colours 0 to 15.
std::vector<std::uint16_t> MakeImage() {
    std::vector<std::uint16_t> image{63, 0, 63, 0, 0, 0};
    for (int k = 0; k < 64 * 64; ++k)
        image.push_back(static_cast<std::uint16_t>(k % 16));
    return image;
}

std::vector<std::uint16_t> MemoryScreen;
void MemoryDirectPutPixel(std::int16_t x, std::int16_t y) {
    MemoryScreen[static_cast<std::size_t>(y) * static_cast<std::size_t>(Graph::MaxX + 1) +
                 static_cast<std::size_t>(x)] = Graph::CurrentColor;
}

void KernelDefaultPutImage(benchmark::State& state) {
    OpenGraphicsOnce();
    MemoryScreen.assign(
        static_cast<std::size_t>(Graph::MaxX + 1) * static_cast<std::size_t>(Graph::MaxY + 1), 0);
    const std::vector<std::uint16_t> image = MakeImage();
    const Graph::DirectPutPixelProc driverPixel = Graph::DirectPutPixel;
    Graph::DirectPutPixel = MemoryDirectPutPixel;
    for (auto _ : state)
        Graph::DefaultPutImage(100, 100, image.data(), 0);
    Graph::DirectPutPixel = driverPixel;
    benchmark::DoNotOptimize(MemoryScreen.data());
    state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(KernelDefaultPutImage);

void DriverPutImageWin32GUI(benchmark::State& state) {
    OpenGraphicsOnce();
    const std::vector<std::uint16_t> image = MakeImage();
    for (auto _ : state)
        Win32Gui::PutImageWin32GUI(100, 100, image.data(), 0);
    state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(DriverPutImageWin32GUI);

} // namespace

BENCHMARK_MAIN();
