// The library's drawing operations for programs: lines from the current
// position, rectangles, polylines, bars, filled polygons, flood fill, arcs,
// ellipses, pie slices and text at the current position. Coordinates are
// viewport-relative. Every one draws through the operation table (lines
// through Line, rows of fills through PatternLine, curves through
// InternalEllipse), so a driver's fast paths serve it, and a bad argument sets
// GraphResult and draws nothing.
#pragma once

#include "graph/OperationTable.h"

#include <cstdint>
#include <span>

namespace Graph {

struct PointType {
    std::int16_t X = 0;
    std::int16_t Y = 0;
};

// Both draw from the current position and move it to the end point.
void LineTo(std::int16_t x, std::int16_t y);
void LineRel(std::int16_t dx, std::int16_t dy);

void Rectangle(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
// Lines from each point to the next; at least two points.
void DrawPoly(std::span<const PointType> points);

// A rectangle filled with the fill pattern, no outline.
void Bar(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
// A filled bar, outlined, with a side and (when top) a top drawn depth
// pixels back and up.
void Bar3D(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, std::uint16_t depth,
           bool top);

// Fills the closed polygon with the fill pattern and outlines it in the
// current colour and line style. The fill takes the pixels whose centres lie
// inside (even-odd rule); a pixel on a left or top edge belongs to the
// polygon, one on a right or bottom edge does not, so that polygons sharing
// an edge fill its pixels once between them.
void FillPoly(std::span<const PointType> points);

// Fills, with the fill pattern, the region of pixels connected to (x, y)
// (left, right, up and down) that are not of the border colour, within the
// viewport. Iterative; its memory is bounded by the viewport's size.
void FloodFill(std::int16_t x, std::int16_t y, std::uint16_t border);

// Angles in degrees, counter-clockwise from three o'clock.
void Arc(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
         std::uint16_t radius);
void Ellipse(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
             std::uint16_t xRadius, std::uint16_t yRadius);
void FillEllipse(std::int16_t x, std::int16_t y, std::uint16_t xRadius, std::uint16_t yRadius);
// The slice between the two angles, filled, with its arc and both radii
// outlined.
void Sector(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
            std::uint16_t xRadius, std::uint16_t yRadius);
void PieSlice(std::int16_t x, std::int16_t y, std::uint16_t startAngle, std::uint16_t endAngle,
              std::uint16_t radius);

// Draws at the current position; horizontal, left-justified text moves it
// past the text.
void OutText(const ShortString& text);

} // namespace Graph
