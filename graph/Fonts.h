// The font table: the stroked fonts that text output may select, numbered 1
// to 16 (font 0 is the built-in bitmap font and has no entry).
//
// An entry's 28-byte header is carried as it came; the four fields that text
// output reads are taken out of it by the accessors below, low byte first.
#pragma once

#include "runtime/ShortString.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace Graph {

struct TFontEntry {
    Runtime::ShortString<8> FontName;
    std::uint8_t FontHeader[28] = {};
    std::int16_t StrokeOffsets[256] = {};
    std::uint8_t CharWidths[256] = {};
    std::uint32_t DataSize = 0;
    std::uint8_t* StrokeData = nullptr; // owned by the entry: allocated with new[]
};

// The header fields that text output reads.
inline std::int16_t FontCharCount(const TFontEntry& font) {
    return static_cast<std::int16_t>(font.FontHeader[1] | (font.FontHeader[2] << 8));
}
inline std::uint8_t FontFirstChar(const TFontEntry& font) {
    return font.FontHeader[4];
}
inline std::int8_t FontCapHeight(const TFontEntry& font) {
    return static_cast<std::int8_t>(font.FontHeader[8]);
}
inline std::int8_t FontDescentDepth(const TFontEntry& font) {
    return static_cast<std::int8_t>(font.FontHeader[10]);
}
// The entry's stroke data as a block of DataSize bytes; empty without data.
inline std::span<const std::uint8_t> FontStrokeData(const TFontEntry& font) {
    if (!font.StrokeData)
        return {};
    return {font.StrokeData, font.DataSize};
}

constexpr std::int32_t MaxFonts = 16;

extern std::int32_t InstalledFonts;
// Fonts[n - 1] is font number n.
extern TFontEntry Fonts[MaxFonts];

// The built-in stroked fonts, registered as fonts 1 to 10 at start-up. Font
// 1 (LINE, a single-stroke sans serif) and font 2 (SERF, a serif) are drawn
// for this system and hold stroke data; the other eight slots are named NONE
// and have none.
constexpr std::int32_t BuiltInFontCount = 10;
constexpr std::uint16_t LineFont = 1;
constexpr std::uint16_t SerifFont = 2;
extern const std::string_view BuiltInFontNames[BuiltInFontCount];

// Empties the font table and registers the ten built-in fonts, the drawn
// ones with their stroke data.
void InstallBuiltInFonts();

// The entry of a stroked font that can be drawn: font numbers 1 to
// InstalledFonts whose entry holds stroke data. Null for the bitmap font (0)
// and for every other number, so that no reader ever follows absent data.
const TFontEntry* UsableStrokedFont(std::uint16_t fontNumber);

// Registers a font name; the new font number, or 0 (GraphError) when full.
std::int16_t InstallUserFont(std::string_view name);

// Frees the stroke data of every installed font (kernel exit).
void FreeFontData();

} // namespace Graph
