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

// Where a stored image lands: the screen rectangle that is drawn (both
// corners included; empty when Left > Right or Top > Bottom), the buffer
// element of its first drawn pixel, and the pixels of each stored row that
// lie left and right of the drawn part.
struct ImagePlacement {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = -1;
    std::int32_t Bottom = -1;
    std::int64_t FirstPixel = ImageFirstPixel;
    std::int32_t LeftSkip = 0;
    std::int32_t RightSkip = 0;
    bool Empty() const { return Left > Right || Top > Bottom; }
};

// Places the image with its top-left pixel at (x, y), viewport-relative, cut
// to the viewport when ClipPixels is set. A header with a negative width or
// height places nothing.
ImagePlacement PlaceImage(std::int16_t x, std::int16_t y, const void* bitmap);

// Sends each placed pixel to the DirectPutPixel slot, with CurrentColor set
// to the pixel's colour; the caller keeps and restores CurrentColor.
void PutImagePixels(const ImagePlacement& placement, const void* bitmap);

std::int32_t DefaultImageSize(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
void DefaultGetImage(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                     void* bitmap);
void DefaultPutImage(std::int16_t x, std::int16_t y, const void* bitmap, std::uint16_t putMode);
void GetScanLineDefault(std::int16_t x1, std::int16_t x2, std::int16_t y, std::uint16_t* data);

} // namespace Graph
