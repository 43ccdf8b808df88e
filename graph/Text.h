// Text output: the text state, the measuring and justification of text,
// character translation, and the kernel's default OutTextXY, which draws in
// the built-in 8 × 8 bitmap font pixel by pixel or in a stroked font line by
// line. The display driver's own text operation measures, justifies and
// draws stroked text with the same routines.
//
// Which font is drawn: FontNumber 0 is the bitmap font; a stroked font is
// drawn only when its entry is installed and holds stroke data. Any other
// FontNumber (above InstalledFonts, or an entry without data) acts as the
// bitmap font in every reader here and in the driver, as a missing font is
// replaced by one that exists: text stays visible and measurable, and absent
// stroke data is never read.
#pragma once

#include "graph/Fonts.h"
#include "graph/GraphState.h"
#include "graph/OperationTable.h"

#include <array>
#include <cstdint>

namespace Graph {

// Scale of stroked fonts, font units to pixels.
extern float CurrentXRatio;
extern float CurrentYRatio;
// Whether the bitmap font also paints the unlit pixels of each cell in
// CurrentBkColor.
extern bool DrawTextBackground;
// The character translation applied to drawn text, or none.
extern const std::array<std::uint8_t, 256>* GraphStringTransTable;

// Justification and direction values of TextInfoType.
constexpr std::uint16_t HorizDir = 0;
constexpr std::uint16_t VertDir = 1;
constexpr std::uint16_t LeftText = 0;
constexpr std::uint16_t CenterText = 1;
constexpr std::uint16_t RightText = 2;
constexpr std::uint16_t BottomText = 0;
constexpr std::uint16_t TopText = 2;

// The stroked font that the text state selects, or null when text is drawn in
// the bitmap font.
const TFontEntry* CurrentStrokedFont();

ShortString ConvertString(const ShortString& text);
std::uint16_t TextWidth(const ShortString& text);
std::uint16_t TextHeight(const ShortString& text);
// The offsets that a drawer applies to its start point as x − xPos, y + yPos.
void GetTextPosition(std::int32_t& xPos, std::int32_t& yPos, const ShortString& text);

// Draws text in the stroked font from the justified start point (x, y),
// viewport-relative, through the Line slot, solid and thin; the line style
// is put back afterwards. The text is drawn as given, untranslated.
void DrawStrokedText(const TFontEntry& font, std::int16_t x, std::int16_t y,
                     const ShortString& text);

void OutTextXYDefault(std::int16_t x, std::int16_t y, const ShortString& text);

} // namespace Graph
