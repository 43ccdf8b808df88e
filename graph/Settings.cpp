// Drawing state for programs.
#include "graph/Settings.h"

#include "graph/DefaultPalette.h"
#include "graph/Fonts.h"
#include "graph/ModeRegistry.h"
#include "graph/Text.h"
#include "graph/ViewPort.h"

#include <algorithm>

namespace Graph {
namespace {

// Palette colours exist only in modes with a palette; direct-colour modes
// take any colour value.
bool ColorInRange(std::uint16_t color) {
    return DirectColor || MaxColor <= 0 || color < MaxColor;
}

std::uint16_t Fail() {
    GraphResult = GraphError;
    return 0;
}

} // namespace

void SetColor(std::uint16_t color) {
    if (!ColorInRange(color)) {
        Fail();
        return;
    }
    CurrentColor = color;
}

std::uint16_t GetColor() {
    return CurrentColor;
}

std::uint16_t GetBkColor() {
    return CurrentBkColor;
}

void SetWriteMode(std::int16_t mode) {
    if (mode < 0 || mode > 4) {
        Fail();
        return;
    }
    CurrentWriteMode = mode;
}

void SetFillStyle(std::uint16_t pattern, std::uint16_t color) {
    // The user pattern is chosen by SetFillPattern, which also supplies it.
    if (pattern >= UserFill || !ColorInRange(color)) {
        Fail();
        return;
    }
    FillSettings = {pattern, color};
}

void SetFillPattern(const std::uint8_t (&pattern)[8], std::uint16_t color) {
    if (!ColorInRange(color)) {
        Fail();
        return;
    }
    std::copy(std::begin(pattern), std::end(pattern), FillPatternTable[UserFillPattern]);
    FillSettings = {UserFill, color};
}

void GetFillSettings(FillSettingsType& settings) {
    settings = FillSettings;
}

void GetFillPattern(std::uint8_t (&pattern)[8]) {
    std::copy(std::begin(FillPatternTable[UserFillPattern]),
              std::end(FillPatternTable[UserFillPattern]), pattern);
}

void SetTextStyle(std::uint16_t font, std::uint16_t direction, std::uint16_t charSize) {
    if (direction > VertDir || charSize > 10) {
        Fail();
        return;
    }
    if (font != 0 && !UsableStrokedFont(font)) {
        GraphResult = font > InstalledFonts ? GraphInvalidFontNum : GraphFontNotFound;
        return;
    }
    CurrentTextInfo.FontNumber = font;
    CurrentTextInfo.Direction = direction;
    if (font == 0) {
        CurrentTextInfo.CharSize = std::max<std::uint16_t>(charSize, 1);
    } else {
        CurrentTextInfo.CharSize = charSize;
        if (charSize != 0)
            CurrentXRatio = CurrentYRatio = static_cast<float>(charSize) / 4.0f;
    }
}

void SetTextJustify(std::uint16_t horiz, std::uint16_t vert) {
    if (horiz > RightText || vert > TopText) {
        Fail();
        return;
    }
    CurrentTextInfo.HorizJustify = horiz;
    CurrentTextInfo.VertJustify = vert;
}

void SetUserCharSize(std::uint16_t multX, std::uint16_t divX, std::uint16_t multY,
                     std::uint16_t divY) {
    if (divX == 0 || divY == 0) {
        Fail();
        return;
    }
    CurrentXRatio = static_cast<float>(multX) / static_cast<float>(divX);
    CurrentYRatio = static_cast<float>(multY) / static_cast<float>(divY);
    CurrentTextInfo.CharSize = 0;
}

void GetTextSettings(TextSettingsType& settings) {
    settings = CurrentTextInfo;
}

void SetAspectRatio(std::uint16_t xAspect, std::uint16_t yAspect) {
    if (xAspect == 0 || yAspect == 0) {
        Fail();
        return;
    }
    XAspect = xAspect;
    YAspect = yAspect;
}

void GetAspectRatio(std::uint16_t& xAspect, std::uint16_t& yAspect) {
    xAspect = XAspect;
    yAspect = YAspect;
}

void SetPalette(std::uint16_t colorNum, std::int16_t color) {
    if (DirectColor || colorNum >= PaletteSize || color < 0 || color > 255) {
        Fail();
        return;
    }
    const RGBEntry& entry = DefaultColors[color];
    SetRGBPalette(static_cast<std::int16_t>(colorNum), entry.Red, entry.Green, entry.Blue);
}

void SetAllPalette(const PaletteType& palette) {
    const int size = std::min<int>(palette.Size, MaxPaletteEntries);
    for (int i = 0; i < size; ++i)
        if (palette.Colors[i] != -1)
            SetPalette(static_cast<std::uint16_t>(i), palette.Colors[i]);
}

void GetPalette(PaletteType& palette) {
    GetDefaultPalette(palette);
    for (int i = 0; i < palette.Size; ++i) {
        std::int16_t red = 0, green = 0, blue = 0;
        GetRGBPalette(static_cast<std::int16_t>(i), red, green, blue);
        // The entry is reported as the first default colour it shows.
        palette.Colors[i] = -1;
        for (int c = 0; c < 256 && palette.Colors[i] < 0; ++c)
            if (DefaultColors[c].Red == red && DefaultColors[c].Green == green &&
                DefaultColors[c].Blue == blue)
                palette.Colors[i] = static_cast<std::int16_t>(c);
    }
}

void GetDefaultPalette(PaletteType& palette) {
    palette = {};
    palette.Size = static_cast<std::uint8_t>(
        DirectColor ? 0 : std::clamp<std::int32_t>(PaletteSize, 0, MaxPaletteEntries));
    for (int i = 0; i < palette.Size; ++i)
        palette.Colors[i] = static_cast<std::int16_t>(i);
}

std::int16_t GetX() {
    return CurrentX;
}

std::int16_t GetY() {
    return CurrentY;
}

void MoveTo(std::int16_t x, std::int16_t y) {
    CurrentX = x;
    CurrentY = y;
}

void MoveRel(std::int16_t dx, std::int16_t dy) {
    MoveTo(Low16(CurrentX + dx), Low16(CurrentY + dy));
}

std::string_view GraphErrorMsg(std::int16_t code) {
    switch (code) {
    case GraphOk:
        return "No error";
    case GraphNoInit:
        return "Graphics not initialized";
    case GraphNotDetected:
        return "Graphics hardware not detected";
    case GraphFontNotFound:
        return "Font has no stroke data";
    case GraphInvalidMode:
        return "Invalid graphics mode for the selected driver";
    case GraphError:
        return "Graphics error";
    case GraphInvalidFontNum:
        return "Invalid font number";
    default:
        return "Unknown graphics error";
    }
}

ShortString GetDriverName() {
    return DriverName;
}

ShortString GetModeName(std::int16_t mode) {
    if (const TModeInfo* record = SearchMode(IntCurrentDriver, mode))
        return ShortString(record->ModeName.View());
    GraphResult = GraphInvalidMode;
    return {};
}

void ClearDevice() {
    ViewPortType saved;
    GetViewSettings(saved);
    SetViewPort(0, 0, MaxX, MaxY, true);
    ClearViewPort();
    SetViewPort(saved.X1, saved.Y1, saved.X2, saved.Y2, saved.Clip);
    MoveTo(0, 0);
}

} // namespace Graph
