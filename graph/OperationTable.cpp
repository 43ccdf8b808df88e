// The operation table with its defaults.
//
// The pixel and palette defaults cannot draw anything: they exist so that a
// drawing request made without a graphics mode ends the program with one
// clear line instead of a call through an empty slot. Every composite default
// (lines, runs, clearing) draws through those five slots, so it reaches the
// report at its first pixel. The kernel installs the defaults already at
// start-up (Startup.cpp), which makes this hold before the first InitGraph
// too.
#include "graph/OperationTable.h"

#include "graph/Ellipses.h"
#include "graph/Images.h"
#include "graph/Lines.h"
#include "graph/Runs.h"
#include "graph/Text.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace Graph {

PutPixelProc PutPixel = nullptr;
DirectPutPixelProc DirectPutPixel = nullptr;
GetPixelProc GetPixel = nullptr;
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
OutTextXYProc OutTextXY = nullptr;
CircleProc Circle = nullptr;
GraphGetMemProc GraphGetMemPtr = nullptr;
GraphFreeMemProc GraphFreeMemPtr = nullptr;

VideoStateProc SaveVideoState = nullptr;
VideoStateProc RestoreVideoState = nullptr;
std::atomic<MessageHandlerProc> CharMessageHandler{nullptr};
std::atomic<MessageHandlerProc> MouseMessageHandler{nullptr};

void DefaultHooks() {
    DirectPutPixel = DirectPutPixelDefault;
    PutPixel = PutPixelDefault;
    GetPixel = GetPixelDefault;
    SetRGBPalette = SetRGBPaletteDefault;
    GetRGBPalette = GetRGBPaletteDefault;
    SetVisualPage = SetVisualPageDefault;
    SetActivePage = SetActivePageDefault;
    ClearViewPort = ClearViewPortDefault;
    Line = LineDefault;
    PatternLine = PatternLineDefault;
    HLine = HLineDefault;
    VLine = VLineDefault;
    InternalEllipse = InternalEllipseDefault;
    Circle = CircleDefault;
    OutTextXY = OutTextXYDefault;
    PutImage = DefaultPutImage;
    GetImage = DefaultGetImage;
    ImageSize = DefaultImageSize;
    GetScanLine = GetScanLineDefault;
    GraphGetMemPtr = nullptr;
    GraphFreeMemPtr = nullptr;
}

void NotInGraphicsReport() {
    Runtime::WriteLn(Runtime::StdErr,
                     "Error: Not in graphics mode (use InitGraph and test GraphResult afterwards)");
    // If even the message could not be written, the I/O failure is what the
    // program dies of.
    if (const std::uint16_t pending = Runtime::InOutRes; pending != 0) {
        Runtime::InOutRes = 0;
        Runtime::RunError(pending);
    }
    Runtime::Halt(1);
}

void DirectPutPixelDefault(std::int16_t, std::int16_t) {
    NotInGraphicsReport();
}

void PutPixelDefault(std::int16_t, std::int16_t, std::uint16_t) {
    NotInGraphicsReport();
}

std::uint16_t GetPixelDefault(std::int16_t, std::int16_t) {
    NotInGraphicsReport();
}

void SetRGBPaletteDefault(std::int16_t, std::int16_t, std::int16_t, std::int16_t) {
    NotInGraphicsReport();
}

void GetRGBPaletteDefault(std::int16_t, std::int16_t&, std::int16_t&, std::int16_t&) {
    NotInGraphicsReport();
}

void SetActivePageDefault(std::uint16_t) {}

void SetVisualPageDefault(std::uint16_t) {}

void DummyPatternLine(std::int16_t, std::int16_t, std::int16_t) {}

} // namespace Graph
