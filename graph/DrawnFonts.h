// The stroked fonts drawn for this system, generated at build time from
// graph/font/*.strokes: each in the layout of a font table entry.
#pragma once

#include <cstdint>
#include <string_view>

namespace Graph {

struct DrawnFont {
    std::string_view Name;
    const std::uint8_t* Header;  // 28 bytes
    const std::int16_t* Offsets; // 256 stroke offsets
    const std::uint8_t* Widths;  // 256 advance widths
    const std::uint8_t* Data;
    std::uint32_t DataSize;
};

// Font 1, a plain single-stroke sans serif, and font 2, a serif.
constexpr int DrawnFontCount = 2;
extern const DrawnFont DrawnFonts[DrawnFontCount];

} // namespace Graph
