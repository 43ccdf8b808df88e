#include "tests/graph/KernelFixture.h"

#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <functional>
#include <string>

using namespace Graph;
using MemoryDriver::MakeMode;

namespace {

const std::string NotInGraphicsLine =
    "Error: Not in graphics mode (use InitGraph and test GraphResult afterwards)\r\n";

LRESULT CALLBACK SomeHandler(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
void SomeVideoState() {}
void SomeMemory(void*&, std::uint32_t) {}
void SomeEllipse(std::int16_t, std::int16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                 std::uint16_t, PatternLineProc) {}

class OperationTable : public KernelTest {};

TEST_F(OperationTable, DefaultHooksInstallsTheDefaultsAndEmptiesTheRest) {
    InternalEllipse = SomeEllipse;
    GraphGetMemPtr = SomeMemory;
    GraphFreeMemPtr = SomeMemory;
    SaveVideoState = SomeVideoState;
    RestoreVideoState = SomeVideoState;
    CharMessageHandler = SomeHandler;
    MouseMessageHandler = SomeHandler;
    DefaultHooks();

    EXPECT_EQ(DirectPutPixel, DirectPutPixelDefault);
    EXPECT_EQ(PutPixel, PutPixelDefault);
    EXPECT_EQ(Graph::GetPixel, GetPixelDefault);
    EXPECT_EQ(SetRGBPalette, SetRGBPaletteDefault);
    EXPECT_EQ(GetRGBPalette, GetRGBPaletteDefault);
    EXPECT_EQ(SetVisualPage, SetVisualPageDefault);
    EXPECT_EQ(SetActivePage, SetActivePageDefault);
    EXPECT_EQ(ClearViewPort, ClearViewPortDefault);
    EXPECT_EQ(Line, LineDefault);
    EXPECT_EQ(PatternLine, PatternLineDefault);
    EXPECT_EQ(HLine, HLineDefault);
    EXPECT_EQ(VLine, VLineDefault);
    EXPECT_EQ(InternalEllipse, nullptr);
    EXPECT_EQ(GraphGetMemPtr, nullptr);
    EXPECT_EQ(GraphFreeMemPtr, nullptr);
    EXPECT_EQ(SaveVideoState, SomeVideoState);
    EXPECT_EQ(RestoreVideoState, SomeVideoState);
    EXPECT_EQ(CharMessageHandler, SomeHandler);
    EXPECT_EQ(MouseMessageHandler, SomeHandler);
}

TEST_F(OperationTable, InitVarsClearsTheModeStateAndInstallsTheDefaults) {
    ArcCall = {1, 2, 3, 4, 5, 6};
    IntCurrentMode = IntCurrentDriver = IntCurrentNewDriver = 3;
    XAspect = YAspect = 7;
    MaxX = MaxY = 99;
    MaxColor = PaletteSize = 16;
    DirectColor = true;
    HardwarePages = 2;
    IsGraphMode = true;
    PutPixel = MemoryDriver::PutPixel;
    InitVars();

    EXPECT_EQ(ArcCall.X, 0);
    EXPECT_EQ(ArcCall.YEnd, 0);
    EXPECT_EQ(IntCurrentMode, 0);
    EXPECT_EQ(IntCurrentDriver, 0);
    EXPECT_EQ(IntCurrentNewDriver, 0);
    EXPECT_EQ(XAspect, 0);
    EXPECT_EQ(YAspect, 0);
    EXPECT_EQ(MaxX, 0);
    EXPECT_EQ(MaxY, 0);
    EXPECT_EQ(MaxColor, 0);
    EXPECT_EQ(PaletteSize, 0);
    EXPECT_FALSE(DirectColor);
    EXPECT_EQ(HardwarePages, 0);
    EXPECT_EQ(PutPixel, PutPixelDefault);
    EXPECT_TRUE(IsGraphMode) << "InitVars leaves IsGraphMode to the lifecycle";
}

void PreviousExitProc() {}

TEST_F(OperationTable, InitializeGraphRegistersModesFontsAndTheExitProcedure) {
    Runtime::ExitProc = PreviousExitProc;
    CharMessageHandler = SomeHandler;
    IsGraphMode = true;
    KernelFixture::StartKernel({MakeMode(10, 1, 639, 479, 256)});

    EXPECT_FALSE(IsGraphMode);
    ASSERT_NE(ModeList, nullptr);
    EXPECT_EQ(ModeList->ModeNumber, 1);
    EXPECT_EQ(NewModeList[15 - FirstColorDepthDriver].HighestMode, 1);
    EXPECT_EQ(NewModeList[13 - FirstColorDepthDriver].HighestMode, -1);
    EXPECT_EQ(SaveVideoState, SaveState) << "the driver fills the video-state operations";
    EXPECT_EQ(InstalledFonts, 10);
    EXPECT_EQ(ExitSave, PreviousExitProc);
    EXPECT_EQ(Runtime::ExitProc, GraphExitProc);
    EXPECT_EQ(CharMessageHandler, nullptr);
    EXPECT_EQ(PutPixel, PutPixelDefault) << "drawing before InitGraph reaches the report";
    EXPECT_EQ(Line, LineDefault);
}

// Starts the runtime and the kernel in a child, then makes one drawing call.
TestSupport::ChildResult DrawWithoutMode(const std::function<void()>& draw) {
    return TestSupport::RunInChild([draw] {
        KernelFixture::ResetKernel();
        Runtime::InitializeUnits();
        KernelFixture::StartKernel({});
        draw();
        Runtime::WriteLn(Runtime::StdOut, "drawing returned");
    });
}

void ExpectNotInGraphicsReport(const TestSupport::ChildResult& result) {
    EXPECT_EQ(result.Signal, 0);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.StdErr, NotInGraphicsLine);
    EXPECT_EQ(result.StdOut, "");
}

TEST(NotInGraphicsReport, EachReportingDefaultWritesTheLineAndHalts) {
    const std::function<void()> calls[] = {
        [] { DirectPutPixel(1, 2); },
        [] { PutPixel(1, 2, 3); },
        [] { Graph::GetPixel(1, 2); },
        [] { SetRGBPalette(1, 2, 3, 4); },
        [] {
            std::int16_t red = 0, green = 0, blue = 0;
            GetRGBPalette(1, red, green, blue);
        },
    };
    for (const auto& call : calls)
        ExpectNotInGraphicsReport(DrawWithoutMode(call));
}

TEST(NotInGraphicsReport, DrawingAfterFailedDetectionReachesTheReport) {
    ExpectNotInGraphicsReport(DrawWithoutMode([] {
        std::int16_t driver = DetectDriver;
        std::int16_t mode = 0;
        InitGraph(driver, mode, "");
        if (GraphResult != GraphNotDetected)
            Runtime::Halt(99);
        PutPixel(10, 10, 15);
    }));
}

TEST(NotInGraphicsReport, CompositeDrawingBeforeInitGraphReachesTheReport) {
    ExpectNotInGraphicsReport(DrawWithoutMode([] { Line(0, 0, 5, 3); }));
}

TEST(NotInGraphicsReport, UnwritableStdErrBecomesTheRunTimeErrorOfTheWrite) {
    auto result = DrawWithoutMode([] {
        Runtime::Close(Runtime::StdErr);
        PutPixel(0, 0, 1);
    });
    EXPECT_EQ(result.ExitCode, 103);
    EXPECT_EQ(result.StdErr, "");
    EXPECT_EQ(result.StdOut.rfind("Runtime error 103 at 0x", 0), 0u) << result.StdOut;
}

} // namespace
