#include "tests/graph/KernelFixture.h"

#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <string>
#include <vector>

using namespace Graph;
using MemoryDriver::MakeMode;

namespace {

// Device modes 9/1, 9/2 (16 colours) and 10/11 to 10/13 (256 colours). In
// resolution order driver 13 holds 640x480, 1024x768 and driver 15 holds
// 640x480, 800x600, 1024x768.
std::vector<TModeInfo> StandardModes() {
    return {MakeMode(9, 1, 639, 479, 16), MakeMode(10, 11, 639, 479, 256),
            MakeMode(9, 2, 1023, 767, 16), MakeMode(10, 12, 1023, 767, 256),
            MakeMode(10, 13, 799, 599, 256)};
}

void ExpectDefaultTable() {
    EXPECT_EQ(DirectPutPixel, DirectPutPixelDefault);
    EXPECT_EQ(PutPixel, PutPixelDefault);
    EXPECT_EQ(Graph::GetPixel, GetPixelDefault);
    EXPECT_EQ(SetRGBPalette, SetRGBPaletteDefault);
    EXPECT_EQ(GetRGBPalette, GetRGBPaletteDefault);
    EXPECT_EQ(HLine, HLineDefault);
}

class Detection : public KernelTest {};

TEST_F(Detection, PicksTheHighestColourDepthWithModesAndItsWidestMode) {
    KernelFixture::StartKernel(StandardModes());
    std::int16_t driver = 0;
    std::int16_t mode = 0;
    DetectGraph(driver, mode);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_EQ(driver, 15);
    EXPECT_EQ(mode, 3);
}

TEST_F(Detection, HighestNumberedDepthWinsOverOneWithMoreModes) {
    KernelFixture::StartKernel({MakeMode(9, 1, 319, 199, 2), MakeMode(9, 2, 639, 479, 2),
                                MakeMode(9, 3, 319, 199, 65536)});
    std::int16_t driver = 0;
    std::int16_t mode = 0;
    DetectGraph(driver, mode);
    EXPECT_EQ(driver, 18);
    EXPECT_EQ(mode, 1);
}

TEST_F(Detection, NoColourDepthModesReportsNotDetected) {
    KernelFixture::StartKernel({MakeMode(9, 1, 639, 479, 32)});
    std::int16_t driver = 7;
    std::int16_t mode = 8;
    DetectGraph(driver, mode);
    EXPECT_EQ(GraphResult, GraphNotDetected);
    EXPECT_EQ(driver, 7);
    EXPECT_EQ(mode, 8);
}

TEST_F(Detection, InitGraphWithDetectDriverOpensTheWidest256ColourMode) {
    KernelFixture::StartKernel(StandardModes());
    std::int16_t driver = DetectDriver;
    std::int16_t mode = 0;
    InitGraph(driver, mode, "");
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(driver, 15);
    EXPECT_EQ(mode, 3);
    EXPECT_EQ(MaxX, 1023);
    EXPECT_EQ(MaxColor, 256);
    EXPECT_EQ(IntCurrentMode, 12);
}

TEST_F(Detection, InitGraphWithDetectModeExaminesOnlyTheGivenDepth) {
    KernelFixture::StartKernel(StandardModes());
    std::int16_t driver = 13;
    std::int16_t mode = DetectMode;
    InitGraph(driver, mode, "");
    EXPECT_EQ(driver, 13);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(MaxColor, 16);
    EXPECT_EQ(MaxX, 1023);

    CloseGraph();
    driver = 14;
    mode = DetectMode;
    InitGraph(driver, mode, "");
    EXPECT_EQ(GraphResult, GraphNotDetected);
    EXPECT_FALSE(IsGraphMode);
    EXPECT_EQ(MaxX, 0);
    ExpectDefaultTable();
}

class OpeningGraphics : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        KernelFixture::StartKernel(StandardModes());
    }
    void Open(std::int16_t driver, std::int16_t mode) { InitGraph(driver, mode, ""); }
};

TEST_F(OpeningGraphics, ResolutionModeInstallsTheDriverAndFullViewport) {
    Open(15, 30009);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(MemoryDriver::InitModeCalls, 1);
    EXPECT_EQ(PutPixel, MemoryDriver::PutPixel);
    EXPECT_EQ(DirectPutPixel, MemoryDriver::DirectPutPixel);
    EXPECT_EQ(HLine, HLineDefault) << "an optional slot the record leaves empty keeps its default";
    EXPECT_EQ(DriverName, "WIN32GUI");
    EXPECT_EQ(IntCurrentDriver, 15);
    EXPECT_EQ(IntCurrentNewDriver, 15);
    EXPECT_EQ(IntCurrentMode, 11);
    EXPECT_EQ(MaxX, 639);
    EXPECT_EQ(MaxY, 479);
    ViewPortType viewport;
    GetViewSettings(viewport);
    EXPECT_EQ(viewport.X2, 639);
    EXPECT_EQ(viewport.Y2, 479);
    EXPECT_TRUE(viewport.Clip);
}

TEST_F(OpeningGraphics, HighestRequestWritesTheColourDepthModeNumberBack) {
    std::int16_t driver = 13;
    std::int16_t mode = HighestModeRequest;
    InitGraph(driver, mode, "");
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(MaxX, 1023);
    EXPECT_EQ(MaxColor, 16);
}

TEST_F(OpeningGraphics, DeviceDriverModeHasNoColourDepthDriver) {
    Open(10, 13);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(MaxX, 799);
    EXPECT_EQ(IntCurrentDriver, 10);
    EXPECT_EQ(IntCurrentNewDriver, -1);
}

TEST_F(OpeningGraphics, UnknownModeFailsWithTheTableBackToDefaults) {
    Open(15, 30009);
    CloseGraph();
    Open(15, 30013);
    EXPECT_EQ(GraphResult, GraphInvalidMode);
    EXPECT_FALSE(IsGraphMode);
    EXPECT_EQ(MaxX, 0);
    EXPECT_EQ(MaxColor, 0);
    EXPECT_EQ(MemoryDriver::InitModeCalls, 1);
    ExpectDefaultTable();
}

TEST_F(OpeningGraphics, RecordMissingAMandatorySlotIsRefused) {
    using SlotClearer = void (*)(TModeInfo&);
    const SlotClearer clearers[] = {[](TModeInfo& r) { r.DirectPutPixel = nullptr; },
                                    [](TModeInfo& r) { r.PutPixel = nullptr; },
                                    [](TModeInfo& r) { r.GetPixel = nullptr; },
                                    [](TModeInfo& r) { r.SetRGBPalette = nullptr; },
                                    [](TModeInfo& r) { r.GetRGBPalette = nullptr; }};
    std::int16_t modeNumber = 40;
    for (SlotClearer clear : clearers) {
        TModeInfo record = MakeMode(9, ++modeNumber, 99, 99, 32);
        clear(record);
        AddMode(record);
        Open(9, modeNumber);
        EXPECT_EQ(GraphResult, GraphInvalidMode) << "mode " << modeNumber;
        EXPECT_FALSE(IsGraphMode);
        ExpectDefaultTable();
    }
    EXPECT_EQ(MemoryDriver::InitModeCalls, 0);
}

TEST_F(OpeningGraphics, RecordWithoutSetUpLeavesItsModeStateButTheDefaultTable) {
    TModeInfo record = MakeMode(9, 7, 319, 199, 16);
    record.InitModeProc = nullptr;
    record.XAspect = 4000;
    record.HardwarePages = 1;
    AddMode(record);
    Open(9, 7);
    EXPECT_EQ(GraphResult, GraphInvalidMode);
    EXPECT_FALSE(IsGraphMode);
    ExpectDefaultTable();
    EXPECT_EQ(IntCurrentMode, 7);
    EXPECT_EQ(MaxX, 319);
    EXPECT_EQ(MaxY, 199);
    EXPECT_EQ(MaxColor, 16);
    EXPECT_EQ(XAspect, 4000);
    EXPECT_EQ(HardwarePages, 1);
}

TEST_F(OpeningGraphics, FailingDriverSetUpLeavesGraphicsClosed) {
    MemoryDriver::FailInitMode = true;
    Open(15, 1);
    EXPECT_EQ(GraphResult, GraphError);
    EXPECT_EQ(MemoryDriver::InitModeCalls, 1);
    EXPECT_FALSE(IsGraphMode);
    ExpectDefaultTable();
}

TEST_F(OpeningGraphics, MissingVideoStateOperationIsRunTimeError216) {
    auto result = TestSupport::RunInChild([] {
        KernelFixture::ResetKernel();
        Runtime::InitializeUnits();
        KernelFixture::StartKernel(StandardModes());
        SaveVideoState = nullptr;
        std::int16_t driver = 15;
        std::int16_t mode = 1;
        InitGraph(driver, mode, "");
    });
    EXPECT_EQ(result.ExitCode, 216);
    EXPECT_EQ(result.StdOut.rfind("Runtime error 216 at 0x", 0), 0u) << result.StdOut;
}

int SaveCalls = 0;
void CountingSave() {
    ++SaveCalls;
}

TEST_F(OpeningGraphics, DisplayStateIsSavedOnlyAtTheFirstInitGraph) {
    SaveCalls = 0;
    SaveVideoState = CountingSave;
    Open(15, 1);
    EXPECT_EQ(SaveCalls, 1);
    EXPECT_FALSE(FirstCallOfInitGraph);
    CloseGraph();
    Open(15, 2);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(SaveCalls, 1);
    EXPECT_EQ(SaveVideoState, CountingSave);
}

TEST_F(OpeningGraphics, GraphPathEndsInABackslash) {
    std::int16_t driver = 15;
    std::int16_t mode = 1;
    InitGraph(driver, mode, "C:\\DRIVERS");
    EXPECT_EQ(GraphPath, "C:\\DRIVERS\\");
    InitGraph(driver, mode, "D:\\");
    EXPECT_EQ(GraphPath, "D:\\");
    InitGraph(driver, mode, "");
    EXPECT_EQ(GraphPath, "");
    const std::string full(255, 'p');
    InitGraph(driver, mode, full);
    EXPECT_EQ(GraphPath, full) << "a full path has no room for the backslash";
    InitGraph(driver, mode, std::string(300, 'q') + "\\");
    EXPECT_EQ(GraphPath, std::string(255, 'q'));
}

std::vector<std::uint16_t> ActivePages;
std::vector<std::uint16_t> VisualPages;
void RecordActive(std::uint16_t page) {
    ActivePages.push_back(page);
}
void RecordVisual(std::uint16_t page) {
    VisualPages.push_back(page);
}
void OwnHLine(std::int16_t, std::int16_t, std::int16_t) {}
void OwnCircle(std::int16_t, std::int16_t, std::uint16_t) {}

TEST_F(OpeningGraphics, OptionalSlotsComeFromTheRecordExceptCircle) {
    ActivePages.clear();
    VisualPages.clear();
    TModeInfo record = MakeMode(9, 7, 319, 199, 16);
    record.HLine = OwnHLine;
    record.Circle = OwnCircle;
    record.SetActivePage = RecordActive;
    record.SetVisualPage = RecordVisual;
    AddMode(record);
    Open(9, 7);
    EXPECT_EQ(HLine, OwnHLine);
    EXPECT_EQ(VLine, VLineDefault);
    EXPECT_NE(Circle, OwnCircle);
    EXPECT_EQ(ActivePages, std::vector<std::uint16_t>{0});
    EXPECT_EQ(VisualPages, std::vector<std::uint16_t>{0});
}

TEST_F(OpeningGraphics, SetGraphModeIgnoresAResultLeftFromEarlier) {
    Open(15, 30009);
    GraphResult = GraphError;
    SetGraphMode(2);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(MaxX, 799);
}

TEST_F(OpeningGraphics, SetGraphModeWithUnknownModeKeepsTheCurrentTable) {
    Open(15, 1);
    SetGraphMode(9);
    EXPECT_EQ(GraphResult, GraphInvalidMode);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(PutPixel, MemoryDriver::PutPixel);
    EXPECT_EQ(MaxX, 639);
}

TEST_F(OpeningGraphics, SetGraphModeDetectModeTakesTheHighestOfTheColourDepth) {
    Open(15, 1);
    SetGraphMode(DetectMode);
    EXPECT_EQ(MaxX, 1023);
    EXPECT_EQ(IntCurrentMode, 12);
}

TEST_F(OpeningGraphics, GraphDefaultsResetsEveryAttribute) {
    TModeInfo record = MakeMode(9, 7, 319, 199, 16);
    record.XAspect = 4000;
    record.YAspect = 5000;
    AddMode(record);
    Open(9, 7);
    EXPECT_EQ(XAspect, 10000);
    EXPECT_EQ(YAspect, 10000);

    LineInfo = {3, 0x1234, 3};
    LinePatterns[5] = false;
    FillSettings = {7, 2};
    FillPatternTable[UserFillPattern][3] = 0x11;
    CurrentColor = 3;
    CurrentBkColor = 9;
    MemoryDriver::Palette[0] = {4, 8, 12};
    CurrentWriteMode = 1;
    CurrentTextInfo = {2, 1, 4, 2, 0};
    SetViewPort(10, 10, 20, 20, false);
    XAspect = 1;
    GraphDefaults();

    EXPECT_EQ(LineInfo.LineStyle, 0);
    EXPECT_EQ(LineInfo.Thickness, 1);
    EXPECT_EQ(LineInfo.Pattern, 0x1234) << "the pattern word is not touched";
    for (bool drawn : LinePatterns)
        EXPECT_TRUE(drawn);
    EXPECT_EQ(FillSettings.Pattern, 1);
    EXPECT_EQ(FillSettings.Color, 15);
    for (std::uint8_t row : FillPatternTable[UserFillPattern])
        EXPECT_EQ(row, 0xFF);
    EXPECT_EQ(CurrentColor, 15);
    EXPECT_EQ(CurrentBkColor, 0);
    EXPECT_EQ(MemoryDriver::Palette[0].Red, 0);
    EXPECT_EQ(MemoryDriver::Palette[0].Green, 0);
    EXPECT_EQ(MemoryDriver::Palette[0].Blue, 0);
    EXPECT_EQ(CurrentWriteMode, 0);
    EXPECT_EQ(CurrentTextInfo.FontNumber, 0);
    EXPECT_EQ(CurrentTextInfo.Direction, 0);
    EXPECT_EQ(CurrentTextInfo.CharSize, 1);
    EXPECT_EQ(CurrentTextInfo.HorizJustify, 0);
    EXPECT_EQ(CurrentTextInfo.VertJustify, 2);
    EXPECT_TRUE(ClipPixels);
    EXPECT_EQ(StartXViewPort, 0);
    EXPECT_EQ(StartYViewPort, 0);
    EXPECT_EQ(ViewWidth, 319);
    EXPECT_EQ(ViewHeight, 199);
    EXPECT_EQ(CurrentX, 0);
    EXPECT_EQ(CurrentY, 0);
    EXPECT_EQ(XAspect, 10000);
    EXPECT_EQ(YAspect, 10000);
}

TEST_F(OpeningGraphics, FillColourIsTheHighestColourOfTheMode) {
    Open(15, 1);
    EXPECT_EQ(FillSettings.Color, 255);
    CloseGraph();
    Open(13, 1);
    EXPECT_EQ(FillSettings.Color, 15);
}

TEST_F(OpeningGraphics, CloseGraphTearsTheDriverDownOnce) {
    Open(15, 1);
    CloseGraph();
    EXPECT_EQ(MemoryDriver::CloseDriverCalls, 1);
    EXPECT_FALSE(IsGraphMode);
    EXPECT_EQ(GraphResult, GraphOk);
    EXPECT_EQ(PutPixel, MemoryDriver::PutPixel) << "the table keeps the driver's primitives";
    CloseGraph();
    EXPECT_EQ(GraphResult, GraphNoInit);
    EXPECT_EQ(MemoryDriver::CloseDriverCalls, 1);
}

void PreviousExitProc() {}

class ExitProcedure : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        Runtime::ExitProc = PreviousExitProc;
        KernelFixture::StartKernel(StandardModes());
        std::int16_t driver = 15;
        std::int16_t mode = 1;
        InitGraph(driver, mode, "");
    }
};

TEST_F(ExitProcedure, NormalEndLeavesGraphicsOpenAndFreesTheRegistry) {
    ASSERT_EQ(Runtime::ExitProc, GraphExitProc);
    GraphExitProc();
    EXPECT_EQ(Runtime::ExitProc, PreviousExitProc);
    EXPECT_EQ(MemoryDriver::CloseDriverCalls, 0);
    EXPECT_TRUE(IsGraphMode);
    EXPECT_EQ(ModeList, nullptr);
    for (const TNewModeEntry& entry : NewModeList) {
        EXPECT_EQ(entry.List, nullptr);
        EXPECT_EQ(entry.LowestMode, -1);
        EXPECT_EQ(entry.HighestMode, -1);
    }
}

TEST_F(ExitProcedure, RunTimeErrorClosesGraphics) {
    Runtime::ErrorCode = 201;
    GraphExitProc();
    EXPECT_EQ(MemoryDriver::CloseDriverCalls, 1);
    EXPECT_FALSE(IsGraphMode);
    EXPECT_EQ(Runtime::ExitProc, PreviousExitProc);
    EXPECT_EQ(ModeList, nullptr);
}

TEST_F(ExitProcedure, ErrorAddressAloneClosesGraphics) {
    static int somewhere = 0;
    Runtime::ErrorAddr = &somewhere;
    GraphExitProc();
    EXPECT_EQ(MemoryDriver::CloseDriverCalls, 1);
}

TEST_F(ExitProcedure, FreesTheFontsStrokeData) {
    Fonts[2].StrokeData = new std::uint8_t[16]{};
    Fonts[2].DataSize = 16;
    GraphExitProc();
    EXPECT_EQ(Fonts[2].StrokeData, nullptr);
}

// Runs the real exit chain in a child: an exit procedure installed before the
// kernel's reports how often the driver was torn down by the time it runs.
void ReportTeardowns() {
    Runtime::Write(Runtime::StdErr, "teardowns ");
    Runtime::Write(Runtime::StdErr, std::int64_t{MemoryDriver::CloseDriverCalls});
    Runtime::WriteLn(Runtime::StdErr);
}

TestSupport::ChildResult EndProgramInGraphics(void (*end)()) {
    return TestSupport::RunInChild([end] {
        KernelFixture::ResetKernel();
        Runtime::InitializeUnits();
        Runtime::ExitProc = ReportTeardowns;
        KernelFixture::StartKernel(StandardModes());
        std::int16_t driver = 15;
        std::int16_t mode = 1;
        InitGraph(driver, mode, "");
        end();
    });
}

TEST(ExitChain, RunTimeErrorClosesGraphicsBeforeTheEarlierExitProcedures) {
    auto result = EndProgramInGraphics([] { Runtime::RunError(201); });
    EXPECT_EQ(result.ExitCode, 201);
    EXPECT_EQ(result.StdErr, "teardowns 1\r\n");
}

TEST(ExitChain, HaltLeavesGraphicsToEndWithTheProcess) {
    auto result = EndProgramInGraphics([] { Runtime::Halt(3); });
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_EQ(result.StdErr, "teardowns 0\r\n");
    EXPECT_EQ(result.StdOut, "");
}

} // namespace
