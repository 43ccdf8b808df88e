// Horizontal and vertical runs, fill-pattern rows and the clearing of the
// viewport: the kernel's defaults for the run slots, drawn pixel by pixel
// through DirectPutPixel.
#pragma once

#include <cstdint>

namespace Graph {

// Bit masks of a fill-pattern byte, indexed by screen x and 7.
extern const std::uint8_t RevBitArray[8];

// Viewport-relative runs from one end to the other, both included, in either
// order; clipped when ClipPixels is set.
void HLineDefault(std::int16_t x, std::int16_t x2, std::int16_t y);
void VLineDefault(std::int16_t x, std::int16_t y, std::int16_t y2);
// One row of the current fill pattern, always clipped to the viewport.
void PatternLineDefault(std::int16_t x1, std::int16_t x2, std::int16_t y);
// Fills the viewport with the background colour and homes the current point.
void ClearViewPortDefault();

} // namespace Graph
