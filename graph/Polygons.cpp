// The filled polygon: a scan-line fill through PatternLine, then the outline.
#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/Shapes.h"

#include <algorithm>
#include <vector>

namespace Graph {
namespace {

struct Edge {
    std::int64_t TopX, TopY, BottomX, BottomY; // TopY < BottomY
};

// The smallest integer not below num / den, for den > 0.
std::int64_t CeilDiv(std::int64_t num, std::int64_t den) {
    return num >= 0 ? (num + den - 1) / den : -((-num) / den);
}

} // namespace

void FillPoly(std::span<const PointType> points) {
    if (points.size() < 3) {
        GraphResult = GraphError;
        return;
    }
    // Horizontal edges bound no row, so they take no part in the fill; they
    // are drawn with the outline.
    std::vector<Edge> edges;
    std::int64_t top = points[0].Y;
    std::int64_t bottom = points[0].Y;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PointType& a = points[i];
        const PointType& b = points[(i + 1) % points.size()];
        top = std::min<std::int64_t>(top, a.Y);
        bottom = std::max<std::int64_t>(bottom, a.Y);
        if (a.Y < b.Y)
            edges.push_back({a.X, a.Y, b.X, b.Y});
        else if (b.Y < a.Y)
            edges.push_back({b.X, b.Y, a.X, a.Y});
    }
    // Only rows that can show on the screen are scanned.
    top = std::max<std::int64_t>(top, -std::int64_t{StartYViewPort});
    bottom = std::min<std::int64_t>(bottom, std::int64_t{MaxY} - StartYViewPort + 1);
    const std::int64_t leftmost = -std::int64_t{StartXViewPort};
    const std::int64_t rightmost = std::int64_t{MaxX} - StartXViewPort;

    {
        AttributeSaver saver;
        CurrentColor = FillSettings.Color;
        std::vector<std::int64_t> crossings;
        // A row is crossed by the edges whose top it reaches and whose
        // bottom it does not; each crossing is the first pixel column at or
        // right of the edge, and the pixels from one crossing up to the next
        // are inside.
        for (std::int64_t y = top; y < bottom; ++y) {
            crossings.clear();
            for (const Edge& e : edges)
                if (e.TopY <= y && y < e.BottomY)
                    crossings.push_back(
                        e.TopX + CeilDiv((y - e.TopY) * (e.BottomX - e.TopX), e.BottomY - e.TopY));
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const std::int64_t from = std::max(crossings[i], leftmost);
                const std::int64_t to = std::min(crossings[i + 1] - 1, rightmost);
                if (from <= to)
                    PatternLine(static_cast<std::int16_t>(from), static_cast<std::int16_t>(to),
                                static_cast<std::int16_t>(y));
            }
        }
    }
    DrawPoly(points);
    const PointType& last = points.back();
    Line(last.X, last.Y, points.front().X, points.front().Y);
}

} // namespace Graph
