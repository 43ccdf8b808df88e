// The graphics lifecycle: detection, opening a mode, the attribute defaults,
// closing, and the kernel's exit procedure.
//
// Opening a mode installs the record's primitives over the defaults and then
// runs the driver's set-up; whenever that fails, the table goes back to the
// defaults, so a failed InitGraph leaves the kernel exactly as "not in
// graphics". Closing only tears the driver's mode down; the table, registry
// and attributes stay, so InitGraph may be called again.
#include "graph/GraphMode.h"

#include "graph/Fonts.h"
#include "graph/GraphState.h"
#include "graph/ModeRegistry.h"
#include "graph/OperationTable.h"
#include "graph/Startup.h"
#include "graph/ViewPort.h"

namespace Graph {

Runtime::ExitProcedure ExitSave = nullptr;

namespace {

bool IsColorDepthDriver(std::int16_t driver) {
    return driver >= FirstColorDepthDriver && driver <= LastColorDepthDriver;
}

// Copies the record's mandatory primitives into the table; false at the
// first one the record lacks.
bool InstallMandatorySlots(const TModeInfo& record) {
    if (!record.DirectPutPixel)
        return false;
    DirectPutPixel = record.DirectPutPixel;
    if (!record.PutPixel)
        return false;
    PutPixel = record.PutPixel;
    if (!record.GetPixel)
        return false;
    GetPixel = record.GetPixel;
    if (!record.SetRGBPalette)
        return false;
    SetRGBPalette = record.SetRGBPalette;
    if (!record.GetRGBPalette)
        return false;
    GetRGBPalette = record.GetRGBPalette;
    return true;
}

template <typename Slot>
void InstallIfFilled(Slot& slot, Slot fromRecord) {
    if (fromRecord)
        slot = fromRecord;
}

// A record's Circle is never installed: every mode keeps the kernel's own
// circle, which a driver shapes through its InternalEllipse.
void InstallOptionalSlots(const TModeInfo& record) {
    InstallIfFilled(ClearViewPort, record.ClearViewPort);
    InstallIfFilled(PutImage, record.PutImage);
    InstallIfFilled(GetImage, record.GetImage);
    InstallIfFilled(ImageSize, record.ImageSize);
    InstallIfFilled(GetScanLine, record.GetScanLine);
    InstallIfFilled(Line, record.Line);
    InstallIfFilled(InternalEllipse, record.InternalEllipse);
    InstallIfFilled(PatternLine, record.PatternLine);
    InstallIfFilled(HLine, record.HLine);
    InstallIfFilled(VLine, record.VLine);
    InstallIfFilled(SetVisualPage, record.SetVisualPage);
    InstallIfFilled(SetActivePage, record.SetActivePage);
    InstallIfFilled(OutTextXY, record.OutTextXY);
}

void TakeModeState(const TModeInfo& record, std::int16_t driver) {
    IntCurrentMode = record.ModeNumber;
    IntCurrentDriver = driver;
    XAspect = record.XAspect;
    YAspect = record.YAspect;
    MaxX = Low16(record.MaxX);
    MaxY = Low16(record.MaxY);
    HardwarePages = record.HardwarePages;
    MaxColor = record.MaxColor;
    PaletteSize = record.PaletteSize;
    DirectColor = record.DirectColor;
}

void FreeList(TModeInfo*& head) {
    while (head) {
        TModeInfo* next = head->Next;
        delete head;
        head = next;
    }
}

} // namespace

void InternDetectGraph(std::int16_t& driver, std::int16_t& mode, bool calledFromInitGraph) {
    std::int16_t bestDriver = 0;
    std::int16_t bestMode = 0;
    std::int16_t lowest = 0;
    std::int16_t highest = 0;
    if (calledFromInitGraph && IsColorDepthDriver(driver)) {
        GetModeRange(driver, lowest, highest);
        if (highest != -1) {
            bestDriver = driver;
            bestMode = highest;
        }
    } else {
        // The highest-numbered colour depth that has modes wins.
        for (std::int16_t candidate = FirstColorDepthDriver; candidate <= LastColorDepthDriver;
             ++candidate) {
            GetModeRange(candidate, lowest, highest);
            if (highest != -1) {
                bestDriver = candidate;
                bestMode = highest;
            }
        }
    }
    if (bestMode == 0) {
        GraphResult = GraphNotDetected;
        return;
    }
    GraphResult = GraphOk;
    driver = bestDriver;
    mode = bestMode;
}

void DetectGraph(std::int16_t& driver, std::int16_t& mode) {
    InternDetectGraph(driver, mode, false);
}

void InitGraph(std::int16_t& driver, std::int16_t& mode, std::string_view path) {
    InitVars();

    GraphPath.Assign(path);
    if (!GraphPath.Empty() && GraphPath[GraphPath.Length() - 1] != '\\')
        GraphPath.Append('\\'); // a full path stays as it is

    if (!SaveVideoState)
        Runtime::RunError(216); // no display driver set the kernel up

    DriverName = "WIN32GUI";

    if (driver == DetectDriver || mode == DetectMode) {
        InternDetectGraph(driver, mode, true);
        if (GraphResult == GraphNotDetected)
            return;
    } else {
        if (!SearchMode(driver, mode)) {
            GraphResult = GraphInvalidMode;
            return;
        }
        GraphResult = GraphOk;
    }

    IntCurrentDriver = driver;
    IntCurrentNewDriver = IsColorDepthDriver(driver) ? driver : -1;

    if (FirstCallOfInitGraph) {
        SaveVideoState();
        FirstCallOfInitGraph = false;
    }

    SetGraphMode(mode);
}

void SetGraphMode(std::int16_t mode) {
    std::int16_t driver = IntCurrentDriver;
    if (mode == DetectMode) {
        mode = HighestModeRequest;
        driver = IntCurrentNewDriver;
    } else if (mode >= FirstResolutionMode && mode <= LastResolutionMode) {
        driver = IntCurrentNewDriver;
    }
    const TModeInfo* record = SearchMode(driver, mode);
    if (!record) {
        GraphResult = GraphInvalidMode;
        return;
    }

    DefaultHooks();
    if (!InstallMandatorySlots(*record)) {
        DefaultHooks();
        GraphResult = GraphInvalidMode;
        return;
    }
    InstallOptionalSlots(*record);
    TakeModeState(*record, driver);

    if (!record->InitModeProc) {
        DefaultHooks();
        GraphResult = GraphInvalidMode;
        return;
    }
    // Only the driver's own report may fail the set-up: a result left over
    // from an earlier call must not undo a mode that came up.
    GraphResult = GraphOk;
    record->InitModeProc();
    if (GraphResult != GraphOk) {
        DefaultHooks();
        return;
    }

    IsGraphMode = true;
    SetActivePage(0);
    SetVisualPage(0);
    SetViewPort(0, 0, MaxX, MaxY, true);
    GraphDefaults();
}

void GraphDefaults() {
    LineInfo.LineStyle = 0;
    LineInfo.Thickness = 1;
    for (bool& drawn : LinePatterns)
        drawn = true;

    FillSettings.Color = GetMaxColor();
    FillSettings.Pattern = 1;
    for (std::uint8_t& row : FillPatternTable[UserFillPattern])
        row = 0xFF;

    CurrentColor = 15;

    ClipPixels = true;
    StartXViewPort = 0;
    StartYViewPort = 0;
    ViewWidth = MaxX;
    ViewHeight = MaxY;
    CurrentX = 0;
    CurrentY = 0;

    SetBkColor(0);
    CurrentWriteMode = 0;
    CurrentTextInfo = TextInfoType{0, 0, 1, 0, 2};
    XAspect = 10000;
    YAspect = 10000;
}

void CloseGraph() {
    if (!IsGraphMode) {
        GraphResult = GraphNoInit;
        return;
    }
    if (const auto closeDriver = BoundDisplayDriver().CloseDriver)
        closeDriver();
    IsGraphMode = false;
}

void GraphExitProc() {
    Runtime::ExitProc = ExitSave;

    // On a normal end the driver's window and thread end with the process;
    // only a run-time error closes graphics first.
    if (IsGraphMode && (Runtime::ErrorCode != 0 || Runtime::ErrorAddr != nullptr))
        CloseGraph();

    FreeFontData();

    // The heads are emptied with the records, so that nothing points at freed
    // memory should a later exit procedure or module still look at them.
    FreeList(ModeList);
    for (TNewModeEntry& entry : NewModeList) {
        FreeList(entry.List);
        entry = TNewModeEntry{};
    }
}

} // namespace Graph
