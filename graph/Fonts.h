// The font table: the stroked fonts that text output may select, numbered 1
// to 16 (font 0 is the built-in bitmap font and has no entry).
#pragma once

#include "runtime/ShortString.h"

#include <cstdint>
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

constexpr std::int32_t MaxFonts = 16;

extern std::int32_t InstalledFonts;
// Fonts[n - 1] is font number n.
extern TFontEntry Fonts[MaxFonts];

// The built-in stroked fonts, registered as fonts 1 to 10 at start-up.
constexpr std::int32_t BuiltInFontCount = 10;
extern const std::string_view BuiltInFontNames[BuiltInFontCount];

// Registers a font name; the new font number, or 0 (GraphError) when full.
std::int16_t InstallUserFont(std::string_view name);

// Frees the stroke data of every installed font (kernel exit).
void FreeFontData();

} // namespace Graph
