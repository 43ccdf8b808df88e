// The mode registry: every graphics mode that a display driver offers, kept in
// registration order (ModeList) and, per colour-depth driver 11 to 21, in a
// list sorted by resolution (NewModeList). The kernel owns copies of the
// records from AddMode until GraphExitProc frees them.
#pragma once

#include "graph/OperationTable.h"
#include "runtime/ShortString.h"

#include <cstdint>

namespace Graph {

struct TModeInfo {
    std::int16_t DriverNumber = 0;
    std::int16_t ModeNumber = 0;
    std::int16_t InternModeNumber = 0;
    std::int32_t MaxColor = 0;
    std::int32_t PaletteSize = 0;
    std::uint16_t XAspect = 0;
    std::uint16_t YAspect = 0;
    std::uint16_t MaxX = 0;
    std::uint16_t MaxY = 0;
    bool DirectColor = false;
    std::uint8_t HardwarePages = 0;
    Runtime::ShortString<18> ModeName;
    DirectPutPixelProc DirectPutPixel = nullptr;
    GetPixelProc GetPixel = nullptr;
    PutPixelProc PutPixel = nullptr;
    SetRGBPaletteProc SetRGBPalette = nullptr;
    GetRGBPaletteProc GetRGBPalette = nullptr;
    SetPageProc SetVisualPage = nullptr;
    SetPageProc SetActivePage = nullptr;
    ClearViewPortProc ClearViewPort = nullptr;
    PutImageProc PutImage = nullptr;
    GetImageProc GetImage = nullptr;
    ImageSizeProc ImageSize = nullptr;
    GetScanLineProc GetScanLine = nullptr;
    LineProc Line = nullptr;
    InternalEllipseProc InternalEllipse = nullptr;
    PatternLineProc PatternLine = nullptr;
    HLineProc HLine = nullptr;
    VLineProc VLine = nullptr;
    CircleProc Circle = nullptr;
    InitModeProcType InitModeProc = nullptr;
    OutTextXYProc OutTextXY = nullptr;
    TModeInfo* Next = nullptr;
};

constexpr std::int16_t FirstColorDepthDriver = 11;
constexpr std::int16_t LastColorDepthDriver = 21;
constexpr std::int16_t NoColorDepthDriver = 32767; // Res2Mode's marker
constexpr std::int16_t NoResolutionMode = 32767;

// Special mode and driver numbers understood by the lookups.
constexpr std::int16_t DetectDriver = 0;
constexpr std::int16_t DetectMode = 30000;
constexpr std::int16_t FirstResolutionMode = 30001;
constexpr std::int16_t LastResolutionMode = 30015;
constexpr std::int16_t LowestModeRequest = -32768;
constexpr std::int16_t HighestModeRequest = -32767;

struct TNewModeEntry {
    TModeInfo* List = nullptr;
    std::int16_t LowestMode = -1;
    std::int16_t HighestMode = -1;
};

extern TModeInfo* ModeList;
// Indexed by driver − FirstColorDepthDriver.
extern TNewModeEntry NewModeList[LastColorDepthDriver - FirstColorDepthDriver + 1];

struct ResolutionType {
    std::int32_t Width;
    std::int32_t Height;
};
// Resolution modes 30001 to 30015, in order.
extern const ResolutionType Resolutions[15];

void InitMode(TModeInfo& record);
void AddMode(const TModeInfo& record);
void Res2Mode(std::int32_t x, std::int32_t y, std::int32_t colors, std::int16_t& driver,
              std::int16_t& mode);
bool Mode2Res(std::int16_t mode, std::int32_t& width, std::int32_t& height);
TModeInfo* SearchMode(std::int16_t driver, std::int16_t& mode);
void GetModeRange(std::int16_t driver, std::int16_t& lowest, std::int16_t& highest);

} // namespace Graph
