// The mode registry and the font table; detection, opening and closing
// graphics, GraphDefaults and the kernel's exit procedure.
#include "tests/graph/KernelFixture.h"

#include <tuple>

namespace {

using namespace Graph;
using Ints = std::vector<int>;
using ModeId = std::pair<std::int16_t, std::int16_t>; // driver, mode number

int InitModeCalls, CloseDriverCalls;
bool FailInitMode;

void DriverPutPixel(std::int16_t, std::int16_t, std::uint16_t) {}

// A mode record with the driver's operations in the mandatory slots.
TModeInfo MakeMode(std::int16_t driver, std::int16_t mode, std::uint16_t maxX, std::uint16_t maxY,
                   std::int32_t colors) {
    return {.DriverNumber = driver,
            .ModeNumber = mode,
            .MaxColor = colors,
            .PaletteSize = colors,
            .XAspect = 10000,
            .YAspect = 10000,
            .MaxX = maxX,
            .MaxY = maxY,
            .ModeName = {},
            .DirectPutPixel = Kernel::RecordPixel,
            .GetPixel = [](std::int16_t, std::int16_t) -> std::uint16_t { return 0; },
            .PutPixel = DriverPutPixel,
            .SetRGBPalette = Kernel::RecordPalette,
            .GetRGBPalette = [](std::int16_t, std::int16_t&, std::int16_t&, std::int16_t&) {},
            .InitModeProc =
                [] {
                    ++InitModeCalls;
                    if (FailInitMode)
                        GraphResult = GraphError;
                }};
}

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
    EXPECT_EQ((Ints{depth15.List->Next->Next->InternModeNumber, depth15.LowestMode,
                    depth15.HighestMode, NewModeList[11 - FirstColorDepthDriver].HighestMode}),
              (Ints{3, 1, 3, -1}));
}

TEST_F(KernelTest, SearchModeFindsEveryKindOfModeNumberAndWritesRequestsBack) {
    AddMode(MakeMode(9, 4, 639, 479, 16));
    AddMode(MakeMode(9, 2, 799, 599, 16));
    AddMode(MakeMode(10, 6, 1023, 767, 256));
    AddMode(MakeMode(9, 8, 1023, 767, 16));
    AddMode(MakeMode(10, 7, 1015, 740, 256)); // no resolution mode
    // Driver and mode asked for; the mode found ({0, 0}: none) and the
    // number written back.
    const std::tuple<std::int16_t, std::int16_t, ModeId, int> cases[] = {
        {15, LowestModeRequest, {10, 7}, 1},
        {15, HighestModeRequest, {10, 6}, 2},
        {15, 30012, {10, 6}, 30012},
        {15, 2, {10, 6}, 2},
        {11, HighestModeRequest, {0, 0}, -1},
        {9, LowestModeRequest, {9, 4}, 4},
        {9, HighestModeRequest, {9, 2}, 2}, // the end of the first unbroken run
        {9, 8, {9, 8}, 8},
    };
    for (auto [driver, asked, found, writtenBack] : cases) {
        std::int16_t mode = asked;
        const TModeInfo* record = SearchMode(driver, mode);
        EXPECT_EQ(std::pair(record ? Ids(record)[0] : ModeId(), int{mode}),
                  std::pair(found, writtenBack))
            << driver << "/" << asked;
    }
}

// The test's display driver offers device modes 9/1, 9/2 (16 colours) and
// 10/11 to 10/13 (256 colours). In resolution order driver 13 holds 640x480,
// 1024x768 and driver 15 holds 640x480, 800x600, 1024x768.
void QueryTestAdapter() {
    SaveVideoState = SaveState;
    RestoreVideoState = RestoreState;
    for (const TModeInfo& record : {MakeMode(9, 1, 639, 479, 16), MakeMode(10, 11, 639, 479, 256),
                                    MakeMode(9, 2, 1023, 767, 16), MakeMode(10, 12, 1023, 767, 256),
                                    MakeMode(10, 13, 799, 599, 256)})
        AddMode(record);
}

// Starts the kernel as the program does, with the test's driver bound.
void StartKernel() {
    InitModeCalls = CloseDriverCalls = 0;
    FailInitMode = false;
    BindDisplayDriver({QueryTestAdapter, [] { ++CloseDriverCalls; }});
    InitializeGraph();
}

// Opens the mode and returns the mode number that InitGraph wrote back.
std::int16_t Open(std::int16_t driver, std::int16_t mode) {
    InitGraph(driver, mode, "");
    return mode;
}

// The registry's own suite looks up every kind of mode number; these are the
// kinds that InitGraph handles itself, and one of each other family.
TEST_F(KernelTest, EveryKindOfModeNumberOpensSetGraphModeSwitchesGraphDefaultsResets) {
    StartKernel();
    const std::int16_t cases[][6] = {
        // Driver, mode; written back, MaxX, internal mode, colour-depth driver.
        {DetectDriver, 0, 3, 1023, 12, 15},       // the widest mode of the highest depth
        {15, 30009, 30009, 639, 11, 15},          // resolution mode
        {13, HighestModeRequest, 2, 1023, 2, 13}, // request written back
        {13, DetectMode, 2, 1023, 2, 13},         // the highest of the depth
        {10, 13, 13, 799, 13, -1},                // device driver: no depth
    };
    for (auto [driver, mode, writtenBack, maxX, intMode, newDriver] : cases) {
        EXPECT_EQ((Ints{Open(driver, mode), GraphResult, IsGraphMode, MaxX, IntCurrentMode,
                        IntCurrentNewDriver}),
                  (Ints{writtenBack, GraphOk, true, maxX, intMode, newDriver}))
            << driver << "/" << mode;
        // The mandatory slots come from the record; the optional ones it
        // leaves empty keep the kernel's own.
        EXPECT_TRUE(PutPixel == DriverPutPixel && HLine == HLineDefault);
        CloseGraph();
        EXPECT_FALSE(IsGraphMode);
    }
    EXPECT_EQ(InitModeCalls, 5);
    CloseGraph();
    EXPECT_EQ(GraphResult, GraphNoInit);
    EXPECT_EQ(CloseDriverCalls, 5) << "the driver is torn down once a close";
    // A result left from earlier is no reason to fail; a failed switch keeps the mode.
    Open(15, 1);
    GraphResult = GraphError;
    SetGraphMode(2);
    EXPECT_EQ((Ints{GraphResult, MaxX}), (Ints{GraphOk, 799}));
    SetGraphMode(9);
    EXPECT_EQ((Ints{GraphResult, MaxX, IsGraphMode}), (Ints{GraphInvalidMode, 799, true}));
    // GraphDefaults puts every attribute back.
    LineInfo = {3, 0x1234, 3};
    LinePatterns[5] = false;
    FillSettings = {7, 2};
    FillPatternTable[UserFillPattern][3] = 0x11;
    CurrentColor = CurrentWriteMode = XAspect = CurrentX = 1;
    CurrentBkColor = 9;
    CurrentTextInfo = {2, 1, 4, 2, 0};
    SetViewPort(10, 10, 20, 20, false);
    Kernel::PaletteCalls.clear();
    GraphDefaults();
    const TextInfoType& text = CurrentTextInfo;
    // The line pattern word is not touched; the fill colour is the mode's
    // highest; the text is font 0, horizontal, size 1, left and top; the
    // viewport the whole screen, clipped; palette entry 0 goes back to black.
    EXPECT_EQ((Ints{LineInfo.LineStyle, LineInfo.Pattern, LineInfo.Thickness, LinePatterns[5],
                    FillSettings.Pattern, FillSettings.Color, FillPatternTable[UserFillPattern][3],
                    CurrentColor, CurrentBkColor, CurrentWriteMode, text.FontNumber, text.Direction,
                    text.CharSize, text.HorizJustify, text.VertJustify, XAspect}),
              (Ints{0, 0x1234, 1, true, 1, 255, 0xFF, 15, 0, 0, 0, 0, 1, 0, 2, 10000}));
    EXPECT_EQ((Ints{StartXViewPort, StartYViewPort, ViewWidth, ViewHeight, ClipPixels, CurrentX,
                    CurrentY}),
              (Ints{0, 0, 799, 599, true, 0, 0}));
    ASSERT_EQ(Kernel::PaletteCalls.size(), 1u);
    EXPECT_EQ(Kernel::PaletteCalls[0].Number + Kernel::PaletteCalls[0].Blue, 0);
}

TEST_F(KernelTest, FailuresLeaveGraphicsClosedWithTheDefaultTable) {
    StartKernel();
    TModeInfo withoutSetUp = MakeMode(9, 7, 319, 199, 16);
    withoutSetUp.InitModeProc = nullptr;
    AddMode(withoutSetUp);
    TModeInfo withoutGetPixel = MakeMode(9, 8, 99, 99, 16);
    withoutGetPixel.GetPixel = nullptr;
    AddMode(withoutGetPixel);
    const std::tuple<std::int16_t, std::int16_t, int, bool> cases[] = {
        {15, 30013, GraphInvalidMode, false}, // unknown resolution
        {14, DetectMode, GraphNotDetected, false},
        {9, 8, GraphInvalidMode, false}, // a mandatory slot is missing
        {15, 1, GraphError, true},       // the driver's set-up fails
        {9, 7, GraphInvalidMode, false}};
    for (auto [driver, mode, result, failSetUp] : cases) {
        FailInitMode = failSetUp;
        Open(driver, mode);
        EXPECT_EQ(GraphResult, result) << driver << "/" << mode;
        EXPECT_TRUE(!IsGraphMode && DirectPutPixel == DirectPutPixelDefault &&
                    PutPixel == PutPixelDefault && Graph::GetPixel == GetPixelDefault &&
                    SetRGBPalette == SetRGBPaletteDefault && GetRGBPalette == GetRGBPaletteDefault)
            << driver << "/" << mode;
    }
    EXPECT_EQ(InitModeCalls, 1);
    // A record without set-up leaves its mode state behind.
    EXPECT_EQ((Ints{IntCurrentMode, MaxX}), (Ints{7, 319}));
}

} // namespace
