// The mode registry: registration order, the resolution-sorted lists of the
// colour-depth drivers, the lookup of every kind of mode number, and the
// font table.
#include "tests/graph/KernelFixture.h"

namespace {

using namespace Graph;
using Kernel::MakeMode;
using ModeId = std::pair<std::int16_t, std::int16_t>; // driver, mode number

std::vector<ModeId> Ids(const TModeInfo* list) {
    std::vector<ModeId> ids;
    for (; list; list = list->Next)
        ids.emplace_back(list->DriverNumber, list->ModeNumber);
    return ids;
}

using ModeRegistry = KernelTest;

TEST_F(ModeRegistry, KeepsRegistrationOrderAndSortsEachDepthByResolutionReplacingEqualOnes) {
    AddMode(MakeMode(10, 1, 799, 599, 256));
    AddMode(MakeMode(10, 2, 639, 479, 256));
    AddMode(MakeMode(9, 1, 639, 479, 16));
    AddMode(MakeMode(10, 3, 39999, 99, 256)); // beyond 32767: compared unsigned
    AddMode(MakeMode(10, 4, 799, 599, 256));  // replaces 10/1 in its depth's list
    const TNewModeEntry& depth15 = NewModeList[15 - FirstColorDepthDriver];
    EXPECT_EQ(Ids(ModeList), (std::vector<ModeId>{{10, 1}, {10, 2}, {9, 1}, {10, 3}, {10, 4}}));
    EXPECT_EQ(Ids(depth15.List), (std::vector<ModeId>{{10, 2}, {10, 4}, {10, 3}}));
    EXPECT_EQ(depth15.List->Next->Next->InternModeNumber, 3);
    EXPECT_EQ(depth15.LowestMode, 1);
    EXPECT_EQ(depth15.HighestMode, 3);
    EXPECT_EQ(Ids(NewModeList[13 - FirstColorDepthDriver].List), (std::vector<ModeId>{{9, 1}}));
    EXPECT_EQ(NewModeList[11 - FirstColorDepthDriver].HighestMode, -1);
}

TEST_F(ModeRegistry, SearchModeFindsEveryKindOfModeNumberAndWritesRequestsBack) {
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
        EXPECT_EQ(found ? ModeId(found->DriverNumber, found->ModeNumber) : ModeId(), c.Found)
            << c.Driver << "/" << c.Mode;
        EXPECT_EQ(mode, c.WrittenBack) << c.Driver << "/" << c.Mode;
    }
}

using FontTable = KernelTest;

TEST_F(FontTable, SixUserFontsFitAfterTheTenBuiltInOnesWithNamesCutToEight) {
    Kernel::StartKernel({});
    EXPECT_EQ(InstallUserFont("TWELVECHARSX"), 11);
    EXPECT_EQ(Fonts[10].FontName, "TWELVECH");
    for (std::int16_t expected = 12; expected <= 16; ++expected) {
        GraphResult = GraphError;
        EXPECT_EQ(InstallUserFont("TRIP"), expected) << "names may repeat";
        EXPECT_EQ(GraphResult, GraphOk);
    }
    EXPECT_EQ(InstallUserFont("LAST"), 0);
    EXPECT_EQ(GraphResult, GraphError);
    EXPECT_EQ(InstalledFonts, 16);
}

} // namespace
