// The mode registry and the font table; detection, opening and closing
// graphics, GraphDefaults, the kernel's exit procedure and the report on
// drawing without a mode.
#include "tests/graph/KernelFixture.h"

#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <functional>

namespace {

using namespace Graph;
using Pair = std::pair<int, int>;
using Kernel::MakeMode;
using ModeId = std::pair<std::int16_t, std::int16_t>; // driver, mode number

std::vector<ModeId> Ids(const TModeInfo* list) {
    std::vector<ModeId> ids;
    for (; list; list = list->Next)
        ids.emplace_back(list->DriverNumber, list->ModeNumber);
    return ids;
}

TEST_F(KernelTest, RegistryKeepsOrderAndSortsEachDepthByResolutionReplacingEqualOnes) {
    AddMode(MakeMode(10, 1, 799, 599, 256));
    AddMode(MakeMode(10, 2, 639, 479, 256));
    AddMode(MakeMode(9, 1, 639, 479, 16));
    AddMode(MakeMode(10, 3, 39999, 99, 256)); // beyond 32767: compared unsigned
    AddMode(MakeMode(10, 4, 799, 599, 256));  // replaces 10/1 in its depth's list
    const TNewModeEntry& depth15 = NewModeList[15 - FirstColorDepthDriver];
    EXPECT_EQ(Ids(ModeList), (std::vector<ModeId>{{10, 1}, {10, 2}, {9, 1}, {10, 3}, {10, 4}}));
    EXPECT_EQ(Ids(depth15.List), (std::vector<ModeId>{{10, 2}, {10, 4}, {10, 3}}));
    EXPECT_EQ(Ids(NewModeList[13 - FirstColorDepthDriver].List), (std::vector<ModeId>{{9, 1}}));
    EXPECT_EQ((std::vector<int>{depth15.List->Next->Next->InternModeNumber, depth15.LowestMode,
                                depth15.HighestMode,
                                NewModeList[11 - FirstColorDepthDriver].HighestMode}),
              (std::vector<int>{3, 1, 3, -1}));
}

TEST_F(KernelTest, SearchModeFindsEveryKindOfModeNumberAndWritesRequestsBack) {
    AddMode(MakeMode(9, 4, 639, 479, 16));
    AddMode(MakeMode(9, 2, 799, 599, 16));
    AddMode(MakeMode(10, 6, 1023, 767, 256));
    AddMode(MakeMode(9, 8, 1023, 767, 16));
    AddMode(MakeMode(10, 7, 1015, 740, 256)); // no resolution mode
    struct Case {
        std::int16_t Driver, Mode;
        ModeId Found; // {0, 0}: none
        std::int16_t WrittenBack;
    };
    const Case cases[] = {
        {15, LowestModeRequest, {10, 7}, 1},
        {15, HighestModeRequest, {10, 6}, 2},
        {15, 30012, {10, 6}, 30012},
        {15, 30010, {0, 0}, 30010}, // no 800 x 600 mode
        {15, 2, {10, 6}, 2},
        {15, 3, {0, 0}, 3},
        {11, HighestModeRequest, {0, 0}, -1},
        {9, LowestModeRequest, {9, 4}, 4},
        {9, HighestModeRequest, {9, 2}, 2}, // the end of the first unbroken run
        {10, HighestModeRequest, {10, 6}, 6},
        {9, 8, {9, 8}, 8},
        {9, 6, {0, 0}, 6},
        {8, HighestModeRequest, {0, 0}, HighestModeRequest},
    };
    for (const Case& c : cases) {
        std::int16_t mode = c.Mode;
        const TModeInfo* found = SearchMode(c.Driver, mode);
        EXPECT_EQ(
            std::make_pair(found ? ModeId(found->DriverNumber, found->ModeNumber) : ModeId(), mode),
            std::make_pair(c.Found, c.WrittenBack))
            << c.Driver << "/" << c.Mode;
    }
}

TEST_F(KernelTest, SixUserFontsFitAfterTheTenBuiltInOnesWithNamesCutToEight) {
    Kernel::StartKernel({});
    EXPECT_EQ(InstallUserFont("TWELVECHARSX"), 11);
    EXPECT_EQ(Fonts[10].FontName, "TWELVECH");
    for (int expected = 12; expected <= 16; ++expected) {
        GraphResult = GraphError;
        EXPECT_EQ((Pair{InstallUserFont("TRIP"), GraphResult}), Pair(expected, GraphOk))
            << "names may repeat";
    }
    EXPECT_EQ((std::vector<int>{InstallUserFont("LAST"), GraphResult, InstalledFonts}),
              (std::vector<int>{0, GraphError, 16}));
}

// Device modes 9/1, 9/2 (16 colours) and 10/11 to 10/13 (256 colours). In
// resolution order driver 13 holds 640x480, 1024x768 and driver 15 holds
// 640x480, 800x600, 1024x768.
std::vector<TModeInfo> StandardModes() {
    return {MakeMode(9, 1, 639, 479, 16), MakeMode(10, 11, 639, 479, 256),
            MakeMode(9, 2, 1023, 767, 16), MakeMode(10, 12, 1023, 767, 256),
            MakeMode(10, 13, 799, 599, 256)};
}

bool DefaultTable() {
    return DirectPutPixel == DirectPutPixelDefault && PutPixel == PutPixelDefault &&
           Graph::GetPixel == GetPixelDefault && SetRGBPalette == SetRGBPaletteDefault &&
           GetRGBPalette == GetRGBPaletteDefault;
}

class OpeningGraphics : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        Kernel::StartKernel(StandardModes());
    }
    // Opens the mode and returns the mode number that InitGraph wrote back.
    static std::int16_t Open(std::int16_t driver, std::int16_t mode) {
        InitGraph(driver, mode, "");
        return mode;
    }
};

// The registry's own suite looks up every kind of mode number; these are the
// kinds that InitGraph handles itself, and one of each other family.
TEST_F(OpeningGraphics, EveryKindOfModeNumberOpensItsMode) {
    struct Case {
        std::int16_t Driver, Mode, WrittenBack, MaxX, IntMode, NewDriver;
    };
    const Case cases[] = {
        {DetectDriver, 0, 3, 1023, 12, 15},       // the widest mode of the highest depth
        {15, 30009, 30009, 639, 11, 15},          // resolution mode
        {13, HighestModeRequest, 2, 1023, 2, 13}, // request written back
        {13, DetectMode, 2, 1023, 2, 13},         // the highest of the depth
        {10, 13, 13, 799, 13, -1},                // device driver: no depth
    };
    for (const Case& c : cases) {
        const std::int16_t writtenBack = Open(c.Driver, c.Mode);
        EXPECT_EQ(std::vector<int>({writtenBack, GraphResult, IsGraphMode, MaxX, IntCurrentMode,
                                    IntCurrentNewDriver}),
                  std::vector<int>({c.WrittenBack, GraphOk, true, c.MaxX, c.IntMode, c.NewDriver}))
            << c.Driver << "/" << c.Mode;
        // The mandatory slots come from the record; the optional ones it
        // leaves empty keep the kernel's own.
        EXPECT_TRUE(PutPixel == Kernel::DriverPutPixel && HLine == HLineDefault);
        CloseGraph();
        EXPECT_FALSE(IsGraphMode);
    }
    EXPECT_EQ(Kernel::InitModeCalls, 5);
    CloseGraph();
    EXPECT_EQ(GraphResult, GraphNoInit);
    EXPECT_EQ(Kernel::CloseDriverCalls, 5) << "the driver is torn down once a close";
}

TEST_F(OpeningGraphics, FailuresLeaveGraphicsClosedWithTheDefaultTable) {
    TModeInfo withoutSetUp = MakeMode(9, 7, 319, 199, 16);
    withoutSetUp.InitModeProc = nullptr;
    AddMode(withoutSetUp);
    TModeInfo withoutGetPixel = MakeMode(9, 8, 99, 99, 16);
    withoutGetPixel.GetPixel = nullptr;
    AddMode(withoutGetPixel);
    struct Case {
        std::int16_t Driver, Mode, Result;
        bool FailSetUp;
    };
    const Case cases[] = {{15, 30013, GraphInvalidMode, false}, // unknown resolution
                          {14, DetectMode, GraphNotDetected, false},
                          {9, 8, GraphInvalidMode, false}, // a mandatory slot is missing
                          {15, 1, GraphError, true},       // the driver's set-up fails
                          {9, 7, GraphInvalidMode, false}};
    for (const Case& c : cases) {
        Kernel::FailInitMode = c.FailSetUp;
        Open(c.Driver, c.Mode);
        EXPECT_EQ(GraphResult, c.Result) << c.Driver << "/" << c.Mode;
        EXPECT_TRUE(!IsGraphMode && DefaultTable()) << c.Driver << "/" << c.Mode;
    }
    EXPECT_EQ(Kernel::InitModeCalls, 1);
    // A record without set-up leaves its mode state behind.
    EXPECT_EQ(std::make_pair(int{IntCurrentMode}, int{MaxX}), std::make_pair(7, 319));
    // Without a colour-depth driver for its colours, detection finds nothing.
    Kernel::ResetKernel();
    Kernel::StartKernel({MakeMode(9, 1, 639, 479, 32)});
    std::int16_t driver = 7, mode = 0;
    DetectGraph(driver, mode);
    EXPECT_EQ(std::make_pair(int{GraphResult}, int{driver}), Pair(GraphNotDetected, 7));
}

TEST_F(OpeningGraphics, SetGraphModeSwitchesOrFailsKeepingTheCurrentMode) {
    Open(15, 1);
    GraphResult = GraphError; // left from earlier: not a reason to fail
    SetGraphMode(2);
    EXPECT_EQ(std::make_pair(int{GraphResult}, int{MaxX}), Pair(GraphOk, 799));
    SetGraphMode(9);
    EXPECT_EQ(std::make_pair(int{GraphResult}, int{MaxX}), Pair(GraphInvalidMode, 799));
    EXPECT_TRUE(IsGraphMode && PutPixel == Kernel::DriverPutPixel);
}

TEST_F(OpeningGraphics, EmptyVideoStateOperationIsRunTimeError216) {
    auto result = TestSupport::RunInChild([] {
        Runtime::InitializeUnits();
        SaveVideoState = nullptr;
        Open(15, 1);
    });
    EXPECT_EQ(result.ExitCode, 216);
    EXPECT_EQ(result.StdOut.rfind("Runtime error 216 at 0x", 0), 0u) << result.StdOut;
}

TEST_F(OpeningGraphics, GraphDefaultsResetsEveryAttribute) {
    Open(15, 1);
    LineInfo = {3, 0x1234, 3};
    LinePatterns[5] = false;
    FillSettings = {7, 2};
    FillPatternTable[UserFillPattern][3] = 0x11;
    CurrentColor = 3;
    CurrentBkColor = 9;
    CurrentWriteMode = 1;
    CurrentTextInfo = {2, 1, 4, 2, 0};
    SetViewPort(10, 10, 20, 20, false);
    XAspect = 1;
    CurrentX = 5;
    Kernel::PaletteCalls.clear();
    GraphDefaults();
    const TextInfoType& text = CurrentTextInfo;
    // The line pattern word is not touched; the fill colour is the mode's
    // highest; the text is font 0, horizontal, size 1, left and top.
    EXPECT_EQ((std::vector<int>{LineInfo.LineStyle, LineInfo.Pattern, LineInfo.Thickness,
                                LinePatterns[5], FillSettings.Pattern, FillSettings.Color,
                                FillPatternTable[UserFillPattern][3], CurrentColor, CurrentBkColor,
                                CurrentWriteMode, text.FontNumber, text.Direction, text.CharSize,
                                text.HorizJustify, text.VertJustify, XAspect}),
              (std::vector<int>{0, 0x1234, 1, true, 1, 255, 0xFF, 15, 0, 0, 0, 0, 1, 0, 2, 10000}));
    EXPECT_EQ((std::vector<int>{StartXViewPort, StartYViewPort, ViewWidth, ViewHeight, ClipPixels,
                                CurrentX, CurrentY}),
              (std::vector<int>{0, 0, 639, 479, true, 0, 0}));
    ASSERT_EQ(Kernel::PaletteCalls.size(), 1u) << "palette entry 0 goes back to black";
    EXPECT_EQ(Kernel::PaletteCalls[0].Number + Kernel::PaletteCalls[0].Blue, 0);
}

void PreviousExitProc() {}

TEST_F(OpeningGraphics, ExitProcedureClosesGraphicsOnlyAfterARunTimeError) {
    static int somewhere = 0;
    for (void* errorAddress : {static_cast<void*>(nullptr), static_cast<void*>(&somewhere)}) {
        Kernel::ResetKernel();
        Runtime::ExitProc = PreviousExitProc;
        Kernel::StartKernel(StandardModes());
        Open(15, 1);
        Runtime::ErrorAddr = errorAddress;
        GraphExitProc();
        EXPECT_EQ(Kernel::CloseDriverCalls, errorAddress ? 1 : 0);
        EXPECT_EQ(IsGraphMode, !errorAddress);
        EXPECT_EQ(Runtime::ExitProc, PreviousExitProc);
        EXPECT_EQ(ModeList, nullptr) << "the registry is freed";
    }
}

// The kernel starts with no display driver bound at all.
std::int16_t Channel;
TEST(NotInGraphicsReport, EachReportingDefaultAndCompositeWritesTheLineAndHalts) {
    const std::function<void()> calls[] = {
        [] { DirectPutPixel(1, 2); },
        [] { PutPixel(1, 2, 3); },
        [] { Graph::GetPixel(1, 2); },
        [] { SetRGBPalette(1, 2, 3, 4); },
        [] { GetRGBPalette(1, Channel, Channel, Channel); },
        [] { Line(0, 0, 5, 3); },
    };
    for (const auto& call : calls) {
        auto result = TestSupport::RunInChild([&call] {
            Kernel::ResetKernel();
            Runtime::InitializeUnits();
            Graph::InitializeGraph();
            call();
        });
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.StdErr, "Error: Not in graphics mode (use InitGraph and test "
                                 "GraphResult afterwards)\r\n");
        EXPECT_EQ(result.StdOut, "");
    }
}

} // namespace
