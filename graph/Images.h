// Images: a rectangle of the screen copied into a caller's buffer and drawn
// back, and the reading of a run of pixels.
//
// Buffer layout, every number low byte first: width − 1 and height − 1 as
// signed 32-bit values, a reserved 32-bit value (0), then one 16-bit colour
// per pixel, rows from the top, each row from the left, without gaps.
#pragma once

#include <cstdint>

namespace Graph {

// Byte offset of the first pixel, and the same as a 16-bit element index.
constexpr std::int32_t ImageHeaderSize = 12;
constexpr std::int32_t ImageFirstPixel = ImageHeaderSize / 2;

std::int32_t DefaultImageSize(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
void DefaultGetImage(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                     void* bitmap);
void DefaultPutImage(std::int16_t x, std::int16_t y, const void* bitmap, std::uint16_t putMode);
void GetScanLineDefault(std::int16_t x1, std::int16_t x2, std::int16_t y, std::uint16_t* data);

} // namespace Graph
