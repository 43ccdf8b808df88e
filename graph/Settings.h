// The library's operations on drawing state for programs: colours, write
// mode, fill and text styles, aspect ratio, palette, the current position,
// the names of the driver and mode, and the text of every result code. Each
// checks its arguments and answers a bad one with a result code, leaving the
// state as it was. Nothing here draws except ClearDevice.
#pragma once

#include "graph/GraphState.h"
#include "graph/OperationTable.h"

#include <cstdint>
#include <string_view>

namespace Graph {

// Result codes of the font operations.
constexpr std::int16_t GraphFontNotFound = -8;    // the font has no stroke data
constexpr std::int16_t GraphInvalidFontNum = -14; // no font has that number

// Fill pattern numbers.
constexpr std::uint16_t EmptyFill = 0;
constexpr std::uint16_t SolidFill = 1;
constexpr std::uint16_t CloseDotFill = 11;
constexpr std::uint16_t UserFill = 12;

using TextSettingsType = TextInfoType;

constexpr int MaxPaletteEntries = 16;
// The first Size entries of the palette, each as the number of the default
// colour shown there (-1 when it shows none of them).
struct PaletteType {
    std::uint8_t Size = 0;
    std::int16_t Colors[MaxPaletteEntries] = {};
};

void SetColor(std::uint16_t color);
std::uint16_t GetColor();
std::uint16_t GetBkColor();
void SetWriteMode(std::int16_t mode);

void SetFillStyle(std::uint16_t pattern, std::uint16_t color);
void SetFillPattern(const std::uint8_t (&pattern)[8], std::uint16_t color);
void GetFillSettings(FillSettingsType& settings);
void GetFillPattern(std::uint8_t (&pattern)[8]);

// Font 0 is the bitmap font, magnified CharSize times; a stroked font is
// scaled by charSize / 4, or by the user's ratios when charSize is 0.
void SetTextStyle(std::uint16_t font, std::uint16_t direction, std::uint16_t charSize);
void SetTextJustify(std::uint16_t horiz, std::uint16_t vert);
void SetUserCharSize(std::uint16_t multX, std::uint16_t divX, std::uint16_t multY,
                     std::uint16_t divY);
void GetTextSettings(TextSettingsType& settings);

void SetAspectRatio(std::uint16_t xAspect, std::uint16_t yAspect);
void GetAspectRatio(std::uint16_t& xAspect, std::uint16_t& yAspect);

// Palette entry colorNum shows default colour color.
void SetPalette(std::uint16_t colorNum, std::int16_t color);
// Entries whose colour is -1 are left alone.
void SetAllPalette(const PaletteType& palette);
void GetPalette(PaletteType& palette);
void GetDefaultPalette(PaletteType& palette);

std::int16_t GetX();
std::int16_t GetY();
void MoveTo(std::int16_t x, std::int16_t y);
void MoveRel(std::int16_t dx, std::int16_t dy);

std::string_view GraphErrorMsg(std::int16_t code);
ShortString GetDriverName();
ShortString GetModeName(std::int16_t mode);

// Clears the whole screen in the background colour and moves to (0, 0); the
// viewport stays.
void ClearDevice();

} // namespace Graph
