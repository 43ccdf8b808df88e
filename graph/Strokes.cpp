// Decoding of stroke pairs.
#include "graph/Strokes.h"

namespace Graph {

TStrokes Strokes;

namespace {

// Bits 0 to 6 of a byte as a 7-bit two's-complement number.
std::int16_t SignExtend7(std::uint8_t bits) {
    const std::int16_t value = bits & 0x3F;
    return (bits & 0x40) != 0 ? static_cast<std::int16_t>(value - 0x40) : value;
}

} // namespace

std::uint16_t Decode(std::uint8_t b1, std::uint8_t b2, std::int16_t& x, std::int16_t& y) {
    x = SignExtend7(b1);
    y = SignExtend7(b2);
    return static_cast<std::uint16_t>(((b1 >> 7) << 1) | (b2 >> 7));
}

std::int16_t Unpack(std::span<const std::uint8_t> data, std::int16_t offset, TStrokes& strokes) {
    std::size_t count = 0;
    if (offset >= 0) {
        // The last place of the buffer is kept for the end entry.
        for (std::size_t at = static_cast<std::size_t>(offset);
             at + 1 < data.size() && count + 1 < strokes.size(); at += 2) {
            TStrokePoint& point = strokes[count++];
            point.Op = static_cast<std::uint8_t>(Decode(data[at], data[at + 1], point.X, point.Y));
            if (point.Op == StrokeEnd)
                return static_cast<std::int16_t>(count);
        }
    }
    strokes[count++] = TStrokePoint{};
    return static_cast<std::int16_t>(count);
}

} // namespace Graph
