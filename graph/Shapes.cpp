// Lines, rectangles, polylines, bars and text at the current position.
#include "graph/Shapes.h"

#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/Settings.h"
#include "graph/Text.h"

#include <utility>

namespace Graph {

void LineTo(std::int16_t x, std::int16_t y) {
    Line(CurrentX, CurrentY, x, y);
    MoveTo(x, y);
}

void LineRel(std::int16_t dx, std::int16_t dy) {
    LineTo(Low16(CurrentX + dx), Low16(CurrentY + dy));
}

void Rectangle(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    Line(x1, y1, x2, y1);
    Line(x2, y1, x2, y2);
    Line(x2, y2, x1, y2);
    Line(x1, y2, x1, y1);
}

void DrawPoly(std::span<const PointType> points) {
    if (points.size() < 2) {
        GraphResult = GraphError;
        return;
    }
    for (std::size_t i = 1; i < points.size(); ++i)
        Line(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
}

void Bar(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    // PatternLine clips each row; only the rows that can show are handed on.
    const std::int32_t first = std::max<std::int32_t>(y1, -StartYViewPort);
    const std::int32_t last = std::min<std::int32_t>(y2, MaxY - StartYViewPort);
    AttributeSaver saver;
    CurrentColor = FillSettings.Color;
    for (std::int32_t y = first; y <= last; ++y)
        PatternLine(x1, x2, static_cast<std::int16_t>(y));
}

void Bar3D(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, std::uint16_t depth,
           bool top) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    Bar(x1, y1, x2, y2);
    Rectangle(x1, y1, x2, y2);
    if (depth == 0)
        return;
    const std::int16_t backX = Low16(x2 + depth);
    const std::int16_t backTop = Low16(y1 - depth);
    Line(x2, y2, backX, Low16(y2 - depth));
    Line(backX, Low16(y2 - depth), backX, backTop);
    if (top) {
        Line(x1, y1, Low16(x1 + depth), backTop);
        Line(Low16(x1 + depth), backTop, backX, backTop);
        Line(x2, y1, backX, backTop);
    }
}

void OutText(const ShortString& text) {
    OutTextXY(CurrentX, CurrentY, text);
    if (CurrentTextInfo.Direction == HorizDir && CurrentTextInfo.HorizJustify == LeftText)
        MoveTo(Low16(CurrentX + TextWidth(text)), CurrentY);
}

} // namespace Graph
