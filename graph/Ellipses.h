// Elliptical arcs, whole ellipses and circles, drawn point by point through
// the PutPixel slot, with an optional callback for the rows of the inside.
#pragma once

#include "graph/OperationTable.h"

#include <cstdint>

namespace Graph {

// Draws the arc of the ellipse centred at (x, y), viewport-relative, from
// startAngle to endAngle (whole degrees, counter-clockwise on the screen),
// records it in ArcCall and reports the rows of the inside to fill.
void InternalEllipseDefault(std::int16_t x, std::int16_t y, std::uint16_t xRadius,
                            std::uint16_t yRadius, std::uint16_t startAngle, std::uint16_t endAngle,
                            PatternLineProc fill);

// Draws the full circle through the InternalEllipse slot and leaves ArcCall
// as it was.
void CircleDefault(std::int16_t x, std::int16_t y, std::uint16_t radius);

} // namespace Graph
