// Text output in the bitmap font and in stroked fonts.
//
// Bitmap text goes to the PutPixel slot one glyph pixel (or one square of
// CharSize × CharSize pixels) at a time, so it is clipped and coloured by
// the pixel operation. Stroked text goes to the Line slot. Stroked positions
// are 32-bit floats that are cut to integers only when a line is drawn; each
// new position is formed in extended precision and rounded to a float once,
// so the lines do not depend on how the compiler would otherwise evaluate
// the sums.
#include "graph/Text.h"

#include "graph/DefaultFont.h"
#include "graph/Lines.h"
#include "graph/Strokes.h"
#include "runtime/FloatingPoint.h"

namespace Graph {

float CurrentXRatio = 0.0f;
float CurrentYRatio = 0.0f;
bool DrawTextBackground = false;
const std::array<std::uint8_t, 256>* GraphStringTransTable = nullptr;

namespace {

constexpr std::int32_t CellSide = 8;
constexpr std::int32_t GlyphBytes = CellSide * CellSide;

std::uint8_t Code(char c) {
    return static_cast<std::uint8_t>(c);
}

std::uint16_t StrokedTextHeight(const TFontEntry& font) {
    const std::int32_t units = FontCapHeight(font) - FontDescentDepth(font);
    return Low16U(Runtime::Trunc(static_cast<long double>(units) * CurrentYRatio));
}

// Codes at or above FirstChar + CharCount add nothing; the comparison is
// signed, so codes below FirstChar count.
std::uint16_t StrokedTextWidth(const TFontEntry& font, const ShortString& text) {
    const ShortString converted = ConvertString(text);
    std::int16_t sum = 0;
    for (std::size_t i = 0; i < converted.Length(); ++i) {
        const std::uint8_t code = Code(converted[i]);
        if (std::int32_t{code} - FontFirstChar(font) < FontCharCount(font))
            sum = Low16(sum + font.CharWidths[code]);
    }
    return Low16U(Runtime::Round(static_cast<long double>(sum) * CurrentXRatio));
}

// The offset for justification 0, 1 or 2 over a text extent: none, half of
// it, all of it. Other justification values leave the offset at 0.
std::int32_t Justified(std::uint16_t justify, std::uint16_t extent) {
    switch (justify) {
    case 1:
        return extent >> 1;
    case 2:
        return extent;
    default:
        return 0;
    }
}

// The bitmap font's reference point is the top-left corner of its first
// cell, so bottom and centre justification move horizontal text up.
std::int32_t BitmapRaise(std::uint16_t justify, std::uint16_t height) {
    switch (justify) {
    case 0:
        return -std::int32_t{height};
    case 1:
        return -std::int32_t{static_cast<std::uint16_t>(height >> 1)};
    default:
        return 0;
    }
}

// Each glyph pixel is a square of CharSize × CharSize screen pixels, lit ones
// in CurrentColor and, with DrawTextBackground, unlit ones in CurrentBkColor.
// Horizontal text runs to the right from the top-left corner of its first
// cell; vertical text (any non-zero direction) runs upwards, each glyph
// turned a quarter turn counter-clockwise, and each square extends to the
// left of and below its anchor.
void DrawBitmapText(std::int16_t x, std::int16_t y, const ShortString& text) {
    const std::int32_t size = CurrentTextInfo.CharSize;
    const bool vertical = CurrentTextInfo.Direction != HorizDir;
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        const std::uint8_t* glyph = &DefaultFontData[Code(text[static_cast<std::size_t>(i)]) *
                                                     static_cast<std::size_t>(GlyphBytes)];
        const std::int32_t advance = CellSide * size * i;
        for (std::int32_t r = 0; r < CellSide; ++r) {
            for (std::int32_t m = 0; m < size; ++m) {
                for (std::int32_t c = 0; c < CellSide; ++c) {
                    const bool ink = glyph[r * CellSide + c] != 0;
                    if (!ink && !DrawTextBackground)
                        continue;
                    const std::uint16_t color = ink ? CurrentColor : CurrentBkColor;
                    for (std::int32_t n = 0; n < size; ++n) {
                        if (vertical)
                            PutPixel(Low16(x + r * size - m), Low16(y - advance - c * size + n),
                                     color);
                        else
                            PutPixel(Low16(x + advance + c * size + n), Low16(y + r * size + m),
                                     color);
                    }
                }
            }
        }
    }
}

float Single(long double value) {
    return static_cast<float>(value);
}

std::int16_t Cut(float position) {
    return Low16(Runtime::Trunc(position));
}

} // namespace

const TFontEntry* CurrentStrokedFont() {
    return UsableStrokedFont(CurrentTextInfo.FontNumber);
}

ShortString ConvertString(const ShortString& text) {
    ShortString converted = text;
    if (GraphStringTransTable)
        for (std::size_t i = 0; i < converted.Length(); ++i)
            converted[i] = static_cast<char>((*GraphStringTransTable)[Code(converted[i])]);
    return converted;
}

std::uint16_t TextWidth(const ShortString& text) {
    if (const TFontEntry* font = CurrentStrokedFont())
        return StrokedTextWidth(*font, text);
    return Low16U(text.Length() * CellSide * CurrentTextInfo.CharSize);
}

std::uint16_t TextHeight(const ShortString&) {
    if (const TFontEntry* font = CurrentStrokedFont())
        return StrokedTextHeight(*font);
    return Low16U(CellSide * CurrentTextInfo.CharSize);
}

// Across the writing direction the bitmap font measures from the top of its
// cell and the stroked fonts from the baseline; along it both measure from
// the start of the first character.
void GetTextPosition(std::int32_t& xPos, std::int32_t& yPos, const ShortString& text) {
    const TextInfoType& info = CurrentTextInfo;
    const std::uint16_t width = TextWidth(text);
    const std::uint16_t height = TextHeight(text);
    const bool vertical = info.Direction != HorizDir;
    xPos = Justified(info.HorizJustify, vertical ? height : width);
    if (vertical)
        yPos = Justified(info.VertJustify, width);
    else if (CurrentStrokedFont())
        yPos = Justified(info.VertJustify, height);
    else
        yPos = BitmapRaise(info.VertJustify, height);
}

// Only a direction of exactly 1 draws stroked text upwards; the measuring
// above treats every non-zero direction as vertical.
void DrawStrokedText(const TFontEntry& font, std::int16_t x, std::int16_t y,
                     const ShortString& text) {
    AttributeSaver saver(LineStyleRestore::ThroughSetLineStyle);
    LineSettingsType settings;
    GetLineSettings(settings);
    SetLineStyle(LineStyleSolid, settings.Pattern, ThicknessNormal);

    const bool vertical = CurrentTextInfo.Direction == VertDir;
    if (vertical)
        x = Low16(x + StrokedTextHeight(font));
    float baseX = x;
    float baseY = y;
    float penX = baseX;
    float penY = baseY;
    const std::span<const std::uint8_t> data = FontStrokeData(font);
    for (std::size_t i = 0; i < text.Length(); ++i) {
        const std::uint8_t code = Code(text[i]);
        const std::int16_t count = Unpack(data, font.StrokeOffsets[code], Strokes);
        for (std::int16_t k = 0; k < count; ++k) {
            const TStrokePoint& point = Strokes[static_cast<std::size_t>(k)];
            if (point.Op == StrokeEnd)
                break;
            const long double fontX = point.X;
            const long double fontY = point.Y;
            const float px = vertical ? Single(baseX - fontY * CurrentYRatio)
                                      : Single(baseX + fontX * CurrentXRatio);
            const float py = vertical ? Single(baseY - fontX * CurrentXRatio)
                                      : Single(baseY - fontY * CurrentYRatio);
            if (point.Op == StrokeDraw)
                Line(Cut(penX), Cut(penY), Cut(px), Cut(py));
            if (point.Op == StrokeDraw || point.Op == StrokeMove) {
                penX = px;
                penY = py;
            }
        }
        // The pen stays where the character left it.
        const long double advance = static_cast<long double>(font.CharWidths[code]) * CurrentXRatio;
        if (vertical)
            baseY = Single(baseY - advance);
        else
            baseX = Single(baseX + advance);
    }
}

void OutTextXYDefault(std::int16_t x, std::int16_t y, const ShortString& text) {
    AttributeSaver saver;
    CurrentWriteMode = 0;
    std::int32_t xPos = 0;
    std::int32_t yPos = 0;
    GetTextPosition(xPos, yPos, text);
    x = Low16(x - xPos);
    y = Low16(y + yPos);
    const ShortString converted = ConvertString(text);
    if (const TFontEntry* font = CurrentStrokedFont())
        DrawStrokedText(*font, x, y, converted);
    else
        DrawBitmapText(x, y, converted);
}

} // namespace Graph
