// Arcs, ellipses and slices, drawn through the InternalEllipse slot.
//
// A slice is filled from the rows of the inside of its whole ellipse, cut to
// the pixels whose angle from the centre lies within the slice: the rows are
// first gathered by drawing the whole ellipse with the pixel slot silenced,
// so that the slice's inside meets the same outline that its arc draws.
#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/Shapes.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace Graph {
namespace {

struct Row {
    std::int16_t Left, Right, Y;
};

std::vector<Row> GatheredRows;

void GatherRow(std::int16_t x1, std::int16_t x2, std::int16_t y) {
    GatheredRows.push_back({x1, x2, y});
}

void NoPixel(std::int16_t, std::int16_t, std::uint16_t) {}

// The angle, in degrees from 0 to below 360, of the point of the ellipse's
// parametric form that lies in the direction of (dx, dy), y upwards. Points
// on the axes get their exact angle.
long double AngleOf(std::int32_t dx, std::int32_t dy, std::uint16_t xRadius,
                    std::uint16_t yRadius) {
    if (dy == 0)
        return dx >= 0 ? 0.0L : 180.0L;
    if (dx == 0)
        return dy > 0 ? 90.0L : 270.0L;
    long double angle =
        std::atan2(static_cast<long double>(dy) * xRadius, static_cast<long double>(dx) * yRadius) *
        180.0L / std::numbers::pi_v<long double>;
    return angle < 0 ? angle + 360.0L : angle;
}

} // namespace

void Arc(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
         std::uint16_t radius) {
    InternalEllipse(x, y, radius, radius, startAngle, endAngle, DummyPatternLine);
}

void Ellipse(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
             std::uint16_t xRadius, std::uint16_t yRadius) {
    InternalEllipse(x, y, xRadius, yRadius, startAngle, endAngle, DummyPatternLine);
}

void FillEllipse(std::int16_t x, std::int16_t y, std::uint16_t xRadius, std::uint16_t yRadius) {
    InternalEllipse(x, y, xRadius, yRadius, 0, 360, PatternLine);
}

void Sector(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
            std::uint16_t xRadius, std::uint16_t yRadius) {
    // Angles fold as the arc folds them.
    std::int32_t first = startAngle % 361;
    std::int32_t last = endAngle % 361;
    if (first > last)
        std::swap(first, last);

    GatheredRows.clear();
    {
        const PutPixelProc pixel = std::exchange(PutPixel, NoPixel);
        InternalEllipse(x, y, xRadius, yRadius, 0, 360, GatherRow);
        PutPixel = pixel;
    }
    {
        AttributeSaver saver;
        CurrentColor = FillSettings.Color;
        auto inside = [&](std::int32_t px, std::int32_t py) {
            const long double angle = AngleOf(px - x, y - py, xRadius, yRadius);
            return (px == x && py == y) || (angle >= first && angle <= last) ||
                   (angle == 0 && last == 360);
        };
        for (const Row& row : GatheredRows) {
            // The rows may reach far past the screen; only what can show is
            // looked at.
            if (row.Y < -StartYViewPort || row.Y > MaxY - StartYViewPort)
                continue;
            const std::int32_t from = std::max<std::int32_t>(row.Left, -StartXViewPort);
            const std::int32_t to = std::min<std::int32_t>(row.Right, MaxX - StartXViewPort);
            std::int32_t runStart = -1;
            for (std::int32_t px = from; px <= to + 1; ++px) {
                const bool in = px <= to && inside(px, row.Y);
                if (in && runStart < 0)
                    runStart = px;
                if (!in && runStart >= 0) {
                    PatternLine(static_cast<std::int16_t>(runStart),
                                static_cast<std::int16_t>(px - 1), row.Y);
                    runStart = -1;
                }
            }
        }
    }
    InternalEllipse(x, y, xRadius, yRadius, startAngle, endAngle, DummyPatternLine);
    const ArcCoordsType arc = ArcCall;
    Line(x, y, arc.XStart, arc.YStart);
    Line(x, y, arc.XEnd, arc.YEnd);
}

void PieSlice(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
              std::uint16_t radius) {
    Sector(x, y, startAngle, endAngle, radius, radius);
}

} // namespace Graph
