// The kernel's start-up: the default table, an empty registry filled by the
// bound display driver, the built-in fonts and the exit procedure.
#include "graph/Startup.h"

#include "graph/Fonts.h"
#include "graph/GraphMode.h"
#include "graph/GraphState.h"
#include "graph/ModeRegistry.h"
#include "graph/OperationTable.h"
#include "runtime/Lifecycle.h"

#include <cassert>

namespace Graph {
namespace {

DisplayDriver BoundDriver;

} // namespace

void BindDisplayDriver(const DisplayDriver& driver) {
    BoundDriver = driver;
}

const DisplayDriver& BoundDisplayDriver() {
    return BoundDriver;
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

    if (BoundDriver.QueryAdapterInfo)
        BoundDriver.QueryAdapterInfo();

    InstallBuiltInFonts();

    // A second start would chain the exit procedure to itself, and the exit
    // chain would never end.
    assert(Runtime::ExitProc != GraphExitProc && "the graphics kernel starts once per process");
    ExitSave = Runtime::ExitProc;
    Runtime::ExitProc = GraphExitProc;

    CharMessageHandler = nullptr;
}

} // namespace Graph
