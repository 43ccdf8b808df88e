// The kernel's built-in 8 x 8 bitmap font, generated at build time from the
// hand-drawn text in graph/font/Cp437.txt.
#pragma once

#include <cstdint>

namespace Graph {

// 256 glyphs of the PC character set, indexed by character code, 64 bytes
// each: the 8 x 8 cell row by row from the top, each row from its left pixel
// to its right, one byte per pixel, 1 for ink and 0 for background. The cell
// carries the spacing between characters, so text is set in adjacent cells.
extern const std::uint8_t DefaultFontData[256 * 64];

} // namespace Graph
