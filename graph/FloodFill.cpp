// Flood fill. The region is found first and painted afterwards: painting
// with a pattern may put the border colour inside the region, which a search
// that read its own paint would take for border.
#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/Shapes.h"

#include <vector>

namespace Graph {
namespace {

struct Span {
    std::int32_t Left, Right, Y;
};

struct Seed {
    std::int32_t X, Y;
};

} // namespace

void FloodFill(std::int16_t x, std::int16_t y, std::uint16_t border) {
    const std::int32_t width = std::int32_t{ViewWidth} + 1;
    const std::int32_t height = std::int32_t{ViewHeight} + 1;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    // One mark per pixel of the viewport; every pixel is taken into a span at
    // most once, so the spans and the pending seeds are bounded by it too.
    std::vector<bool> taken(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto open = [&](std::int32_t px, std::int32_t py) {
        return !taken[static_cast<std::size_t>(py) * width + px] &&
               GetPixel(static_cast<std::int16_t>(px), static_cast<std::int16_t>(py)) != border;
    };
    std::vector<Span> spans;
    std::vector<Seed> seeds{{x, y}};
    while (!seeds.empty()) {
        const Seed seed = seeds.back();
        seeds.pop_back();
        if (!open(seed.X, seed.Y))
            continue;
        std::int32_t left = seed.X;
        std::int32_t right = seed.X;
        while (left > 0 && open(left - 1, seed.Y))
            --left;
        while (right + 1 < width && open(right + 1, seed.Y))
            ++right;
        for (std::int32_t px = left; px <= right; ++px)
            taken[static_cast<std::size_t>(seed.Y) * width + px] = true;
        spans.push_back({left, right, seed.Y});
        // One seed for each run of open pixels just above and just below.
        for (std::int32_t row : {seed.Y - 1, seed.Y + 1}) {
            if (row < 0 || row >= height)
                continue;
            bool inRun = false;
            for (std::int32_t px = left; px <= right; ++px) {
                const bool isOpen = open(px, row);
                if (isOpen && !inRun)
                    seeds.push_back({px, row});
                inRun = isOpen;
            }
        }
    }
    AttributeSaver saver;
    CurrentColor = FillSettings.Color;
    for (const Span& span : spans)
        PatternLine(static_cast<std::int16_t>(span.Left), static_cast<std::int16_t>(span.Right),
                    static_cast<std::int16_t>(span.Y));
}

} // namespace Graph
