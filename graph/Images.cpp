// Images and scan lines.
//
// Images move one pixel per slot call: GetImage reads rows through the
// GetScanLine slot, PutImage writes through DirectPutPixel, which applies the
// write mode. PutImage clips the image to the viewport itself, once, and
// skips the clipped pixels of each row in the buffer. The header is read and
// written byte by byte, low byte first, so the buffer has the same layout
// whatever the caller's alignment; the pixels are written by the scan-line
// slot as native 16-bit values, which is the layout on a little-endian host.
#include "graph/Images.h"

#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/OperationTable.h"

#include <bit>
#include <cstddef>

namespace Graph {

static_assert(std::endian::native == std::endian::little,
              "the scan-line slot stores the image's pixels low byte first");

namespace {

void StoreInt32(unsigned char* bytes, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

std::int32_t LoadInt32(const unsigned char* bytes) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= std::uint32_t{bytes[i]} << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::uint16_t LoadPixel(const unsigned char* bytes, std::int64_t element) {
    const unsigned char* at = bytes + 2 * element;
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

} // namespace

// Taken in 64 bits and cut to the low 32, which is what the 32-bit product
// gives: rectangles too large for the formula wrap instead of overflowing.
std::int32_t DefaultImageSize(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    const std::int64_t width = std::int64_t{x2} - x1 + 1;
    const std::int64_t height = std::int64_t{y2} - y1 + 1;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(width * height * 2 + 12));
}

// No clipping here: the GetPixel slot translates and deals with points
// outside the viewport. A rectangle whose right edge lies left of its left
// edge reads no pixels, since a row of negative length has no place in the
// buffer; its header is still written.
void DefaultGetImage(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                     void* bitmap) {
    auto* bytes = static_cast<unsigned char*>(bitmap);
    const std::int16_t width = Low16(x2 - x1 + 1);
    if (width > 0) {
        auto* place = reinterpret_cast<std::uint16_t*>(bytes + ImageHeaderSize);
        for (std::int32_t row = y1; row <= y2; ++row) {
            GetScanLine(x1, x2, static_cast<std::int16_t>(row), place);
            place += width;
        }
    }
    StoreInt32(bytes, x2 - x1);
    StoreInt32(bytes + 4, y2 - y1);
    StoreInt32(bytes + 8, 0);
}

void GetScanLineDefault(std::int16_t x1, std::int16_t x2, std::int16_t y, std::uint16_t* data) {
    for (std::int32_t x = x1; x <= x2; ++x)
        data[x - x1] = GetPixel(static_cast<std::int16_t>(x), y);
}

// A header with a negative width or height describes no pixels.
ImagePlacement PlaceImage(std::int16_t x, std::int16_t y, const void* bitmap) {
    const auto* bytes = static_cast<const unsigned char*>(bitmap);
    const std::int32_t lastColumn = LoadInt32(bytes);
    const std::int32_t lastRow = LoadInt32(bytes + 4);
    ImagePlacement place;
    if (lastColumn < 0 || lastRow < 0)
        return place;

    place.Left = Low16(x + StartXViewPort);
    place.Top = Low16(y + StartYViewPort);
    place.Right = Low16(place.Left + lastColumn);
    place.Bottom = Low16(place.Top + lastRow);
    if (!ClipPixels)
        return place;

    const std::int32_t viewRight = StartXViewPort + ViewWidth;
    const std::int32_t viewBottom = StartYViewPort + ViewHeight;
    // Rows above the viewport are skipped whole, at their unclipped length.
    if (place.Top < StartYViewPort) {
        place.FirstPixel +=
            std::int64_t{StartYViewPort - place.Top} * (place.Right - place.Left + 1);
        place.Top = StartYViewPort;
    }
    if (place.Bottom > viewBottom)
        place.Bottom = viewBottom;
    if (place.Left < StartXViewPort) {
        place.LeftSkip = StartXViewPort - place.Left;
        place.Left = StartXViewPort;
    }
    if (place.Right > viewRight) {
        place.RightSkip = place.Right - viewRight;
        place.Right = viewRight;
    }
    return place;
}

void PutImagePixels(const ImagePlacement& placement, const void* bitmap) {
    const auto* bytes = static_cast<const unsigned char*>(bitmap);
    std::int64_t k = placement.FirstPixel;
    for (std::int32_t j = placement.Top; j <= placement.Bottom; ++j) {
        k += placement.LeftSkip;
        for (std::int32_t i = placement.Left; i <= placement.Right; ++i) {
            CurrentColor = LoadPixel(bytes, k);
            DirectPutPixel(static_cast<std::int16_t>(i), static_cast<std::int16_t>(j));
            ++k;
        }
        k += placement.RightSkip;
    }
}

void DefaultPutImage(std::int16_t x, std::int16_t y, const void* bitmap, std::uint16_t putMode) {
    const ImagePlacement placement = PlaceImage(x, y, bitmap);
    AttributeSaver saver;
    CurrentWriteMode = static_cast<std::int16_t>(putMode);
    PutImagePixels(placement, bitmap);
}

} // namespace Graph
