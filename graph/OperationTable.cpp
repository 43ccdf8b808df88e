// The operation table with its defaults, and the kernel's start-up.
//
// The pixel and palette defaults cannot draw anything: they exist so that a
// drawing request made without a graphics mode ends the program with one
// clear line instead of a call through an empty slot. Every composite default
// (lines, runs, clearing) draws through those five slots, so it reaches the
// report at its first pixel. The kernel installs the defaults already at
// start-up, which makes this hold before the first InitGraph too.
#include "graph/OperationTable.h"

#include "graph/DisplayDriver.h"
#include "graph/Ellipses.h"
#include "graph/Fonts.h"
#include "graph/GraphMode.h"
#include "graph/GraphState.h"
#include "graph/Images.h"
#include "graph/Lines.h"
#include "graph/ModeRegistry.h"
#include "graph/Text.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

#include <cassert>

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

void InitVars() {
    ArcCall = ArcCoordsType{};
    IntCurrentMode = 0;
    IntCurrentDriver = 0;
    IntCurrentNewDriver = 0;
    XAspect = 0;
    YAspect = 0;
    MaxX = 0;
    MaxY = 0;
    MaxColor = 0;
    PaletteSize = 0;
    DirectColor = false;
    HardwarePages = 0;
    DefaultHooks();
}

void InitializeGraph() {
    DefaultHooks();

    IsGraphMode = false;
    ModeList = nullptr;
    for (TNewModeEntry& entry : NewModeList)
        entry = TNewModeEntry{};
    SaveVideoState = nullptr;
    RestoreVideoState = nullptr;

    QueryAdapterInfo();

    InstallBuiltInFonts();

    // A second start would chain the exit procedure to itself, and the exit
    // chain would never end.
    assert(Runtime::ExitProc != GraphExitProc && "the graphics kernel starts once per process");
    ExitSave = Runtime::ExitProc;
    Runtime::ExitProc = GraphExitProc;

    CharMessageHandler = nullptr;
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
