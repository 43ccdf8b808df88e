// The graphics kernel's process-wide state: the current mode's geometry and
// colour capacity, the viewport, the drawing attributes and the result of the
// last failing operation. All of it is single global instances, written only
// by the thread that calls the kernel; the display driver's message thread
// reads MaxX, MaxY and MaxColor, which are set before that thread starts.
#pragma once

#include "runtime/ShortString.h"

#include <cstdint>

namespace Graph {

// GraphResult codes.
constexpr std::int16_t GraphOk = 0;
constexpr std::int16_t GraphNoInit = -1;
constexpr std::int16_t GraphNotDetected = -2;
constexpr std::int16_t GraphInvalidMode = -10;
constexpr std::int16_t GraphError = -11;

extern std::int16_t GraphResult;

// Mode and device state.
extern std::int16_t IntCurrentDriver;
extern std::int16_t IntCurrentNewDriver;
extern std::int16_t IntCurrentMode;
extern std::int16_t MaxX;
extern std::int16_t MaxY;
extern std::int32_t MaxColor;
extern std::int32_t PaletteSize;
extern bool DirectColor;
extern std::uint8_t HardwarePages;
extern std::uint16_t XAspect;
extern std::uint16_t YAspect;
extern bool IsGraphMode;
extern Runtime::ShortString<255> DriverName;
extern Runtime::ShortString<255> GraphPath;
extern bool FirstCallOfInitGraph;

// Viewport (screen position of its top-left pixel; width and height less one).
extern std::int16_t StartXViewPort;
extern std::int16_t StartYViewPort;
extern std::int16_t ViewWidth;
extern std::int16_t ViewHeight;
extern bool ClipPixels;
extern std::int16_t CurrentX; // current position, viewport-relative
extern std::int16_t CurrentY;

// Drawing attributes.
struct LineSettingsType {
    std::uint16_t LineStyle = 0;
    std::uint16_t Pattern = 0; // bit 15 belongs to pattern phase 0
    std::uint16_t Thickness = 0;
};
extern LineSettingsType LineInfo;
extern bool LinePatterns[16];

struct FillSettingsType {
    std::uint16_t Pattern = 0;
    std::uint16_t Color = 0;
};
extern FillSettingsType FillSettings;

constexpr int FillPatternCount = 13;
constexpr int UserFillPattern = 12;
extern std::uint8_t FillPatternTable[FillPatternCount][8];

extern std::uint16_t CurrentColor;
extern std::uint16_t CurrentBkColor;
extern std::int16_t CurrentWriteMode; // 0 copy, 1 xor, 2 or, 3 and, 4 not

struct TextInfoType {
    std::uint16_t FontNumber = 0;
    std::uint16_t Direction = 0;
    std::uint16_t CharSize = 0;
    std::uint16_t HorizJustify = 0;
    std::uint16_t VertJustify = 0;
};
extern TextInfoType CurrentTextInfo;

struct ArcCoordsType {
    std::int16_t X = 0;
    std::int16_t Y = 0;
    std::int16_t XStart = 0;
    std::int16_t YStart = 0;
    std::int16_t XEnd = 0;
    std::int16_t YEnd = 0;
};
extern ArcCoordsType ArcCall;

// The low 16 bits of a wider value, as stored by the kernel's 16-bit
// variables: the wrap is intended wherever this is used.
constexpr std::int16_t Low16(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}
constexpr std::uint16_t Low16U(std::int32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

} // namespace Graph
