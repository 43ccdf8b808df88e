#include "tests/graph/KernelFixture.h"

#include <utility>
#include <vector>

using namespace Graph;
using MemoryDriver::MakeMode;

namespace {

using ModeId = std::pair<std::int16_t, std::int16_t>; // driver, mode number

std::vector<ModeId> Ids(const TModeInfo* list) {
    std::vector<ModeId> ids;
    for (; list; list = list->Next)
        ids.emplace_back(list->DriverNumber, list->ModeNumber);
    return ids;
}

const TNewModeEntry& DepthList(std::int16_t driver) {
    return NewModeList[driver - FirstColorDepthDriver];
}

std::vector<std::int16_t> InternNumbers(std::int16_t driver) {
    std::vector<std::int16_t> numbers;
    for (const TModeInfo* record = DepthList(driver).List; record; record = record->Next)
        numbers.push_back(record->InternModeNumber);
    return numbers;
}

class ModeRegistry : public KernelTest {};

TEST_F(ModeRegistry, KeepsRegistrationOrderAndSortsEachColourDepthByResolution) {
    AddMode(MakeMode(10, 1, 799, 599, 256));
    AddMode(MakeMode(10, 2, 639, 479, 256));
    AddMode(MakeMode(9, 1, 639, 479, 16));
    AddMode(MakeMode(10, 3, 639, 349, 256));
    AddMode(MakeMode(10, 4, 39999, 99, 256)); // beyond 32767: compared unsigned

    EXPECT_EQ(Ids(ModeList), (std::vector<ModeId>{{10, 1}, {10, 2}, {9, 1}, {10, 3}, {10, 4}}));
    EXPECT_EQ(Ids(DepthList(15).List), (std::vector<ModeId>{{10, 3}, {10, 2}, {10, 1}, {10, 4}}));
    EXPECT_EQ(InternNumbers(15), (std::vector<std::int16_t>{1, 2, 3, 4}));
    EXPECT_EQ(DepthList(15).LowestMode, 1);
    EXPECT_EQ(DepthList(15).HighestMode, 4);
    EXPECT_EQ(Ids(DepthList(13).List), (std::vector<ModeId>{{9, 1}}));
    EXPECT_EQ(DepthList(13).HighestMode, 1);
    EXPECT_EQ(DepthList(11).List, nullptr);
    EXPECT_EQ(DepthList(11).LowestMode, -1);
    EXPECT_EQ(DepthList(11).HighestMode, -1);
    EXPECT_EQ(ModeList->InternModeNumber, 0) << "only the colour-depth copies are numbered";
}

TEST_F(ModeRegistry, SameResolutionAndDepthReplacesInPlaceWhileModeListKeepsBoth) {
    AddMode(MakeMode(10, 1, 639, 479, 256));
    AddMode(MakeMode(10, 2, 799, 599, 256));
    AddMode(MakeMode(10, 3, 1023, 767, 256));
    TModeInfo replacement = MakeMode(10, 7, 799, 599, 256);
    replacement.HardwarePages = 3;
    AddMode(replacement);

    EXPECT_EQ(Ids(DepthList(15).List), (std::vector<ModeId>{{10, 1}, {10, 7}, {10, 3}}));
    EXPECT_EQ(InternNumbers(15), (std::vector<std::int16_t>{1, 2, 3}));
    EXPECT_EQ(DepthList(15).List->Next->HardwarePages, 3);
    EXPECT_EQ(DepthList(15).HighestMode, 3);
    EXPECT_EQ(Ids(ModeList), (std::vector<ModeId>{{10, 1}, {10, 2}, {10, 3}, {10, 7}}));
}

TEST_F(ModeRegistry, CopiesTheCallersRecordWithoutItsLink) {
    TModeInfo stranger = MakeMode(10, 9, 99, 99, 256);
    TModeInfo record = MakeMode(10, 1, 639, 479, 256);
    record.Next = &stranger;
    AddMode(record);
    record.MaxX = 1;

    EXPECT_NE(ModeList, &record);
    EXPECT_EQ(ModeList->Next, nullptr);
    EXPECT_EQ(DepthList(15).List->Next, nullptr);
    EXPECT_EQ(DepthList(15).List->MaxX, 639);
}

TEST_F(ModeRegistry, ColourCountWithoutDepthDriverIsFoundOnlyUnderItsDeviceDriver) {
    AddMode(MakeMode(9, 5, 639, 479, 32));
    for (const TNewModeEntry& entry : NewModeList)
        EXPECT_EQ(entry.List, nullptr);
    std::int16_t mode = 5;
    const TModeInfo* found = SearchMode(9, mode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->MaxColor, 32);
    mode = 1;
    EXPECT_EQ(SearchMode(13, mode), nullptr);
    mode = 30009;
    EXPECT_EQ(SearchMode(15, mode), nullptr);
}

TEST(ResolutionModes, Res2ModeMapsColourCountAndResolution) {
    std::int16_t driver = 0;
    std::int16_t mode = 0;
    Res2Mode(640, 480, 256, driver, mode);
    EXPECT_EQ(driver, 15);
    EXPECT_EQ(mode, 30009);
    Res2Mode(1016, 741, 256, driver, mode);
    EXPECT_EQ(driver, 15);
    EXPECT_EQ(mode, 32767);
    mode = 1234;
    Res2Mode(640, 480, 32, driver, mode);
    EXPECT_EQ(driver, 32767);
    EXPECT_EQ(mode, 1234) << "an unknown colour count leaves the mode alone";
    Res2Mode(320, 200, 1, driver, mode);
    EXPECT_EQ(driver, 32767);

    const std::pair<std::int32_t, std::int16_t> depths[] = {
        {2, 11}, {4, 12}, {16, 13}, {64, 14}, {256, 15}, {4096, 16}, {32768, 17}, {65536, 18}};
    for (auto [colors, expected] : depths) {
        Res2Mode(2048, 1536, colors, driver, mode);
        EXPECT_EQ(driver, expected) << colors << " colours";
        EXPECT_EQ(mode, 30015);
    }
}

TEST(ResolutionModes, Mode2ResKnowsOnly30001To30015) {
    std::int32_t width = -5;
    std::int32_t height = -5;
    EXPECT_TRUE(Mode2Res(30001, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_TRUE(Mode2Res(30011, width, height));
    EXPECT_EQ(width, 832);
    EXPECT_EQ(height, 624);
    EXPECT_TRUE(Mode2Res(30015, width, height));
    EXPECT_EQ(width, 2048);
    EXPECT_EQ(height, 1536);
    for (std::int16_t outside : {std::int16_t{30000}, std::int16_t{30016}, std::int16_t{1}}) {
        width = height = -5;
        EXPECT_FALSE(Mode2Res(outside, width, height));
        EXPECT_EQ(width, -5);
        EXPECT_EQ(height, -5);
    }
}

class ColourDepthSearch : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        AddMode(MakeMode(10, 1, 1023, 767, 256));
        AddMode(MakeMode(10, 2, 639, 479, 256));
        AddMode(MakeMode(10, 3, 1015, 740, 256)); // no resolution mode
    }
};

TEST_F(ColourDepthSearch, LowestAndHighestRequestsWriteTheModeBack) {
    std::int16_t mode = LowestModeRequest;
    const TModeInfo* found = SearchMode(15, mode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ModeNumber, 2);
    EXPECT_EQ(mode, 1);
    mode = HighestModeRequest;
    found = SearchMode(15, mode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ModeNumber, 1);
    EXPECT_EQ(mode, 3);
}

TEST_F(ColourDepthSearch, EmptyDepthFindsNothingAndReportsMinusOne) {
    for (std::int16_t request : {LowestModeRequest, HighestModeRequest}) {
        std::int16_t mode = request;
        EXPECT_EQ(SearchMode(13, mode), nullptr);
        EXPECT_EQ(mode, -1);
    }
    std::int16_t mode = 1;
    EXPECT_EQ(SearchMode(13, mode), nullptr);
}

TEST_F(ColourDepthSearch, ResolutionModesFindExactResolutionsOnly) {
    std::int16_t mode = 30009;
    const TModeInfo* found = SearchMode(15, mode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ModeNumber, 2);
    EXPECT_EQ(mode, 30009);
    mode = 30012;
    ASSERT_NE(SearchMode(15, mode), nullptr);
    EXPECT_EQ(SearchMode(15, mode)->ModeNumber, 1);
    mode = 30010; // 800 x 600 lies between registered resolutions
    EXPECT_EQ(SearchMode(15, mode), nullptr);
    mode = 30015; // beyond the widest
    EXPECT_EQ(SearchMode(15, mode), nullptr);
}

TEST_F(ColourDepthSearch, PlainNumbersArePositionsInResolutionOrder) {
    std::int16_t mode = 2;
    const TModeInfo* found = SearchMode(15, mode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ModeNumber, 3);
    mode = 4;
    EXPECT_EQ(SearchMode(15, mode), nullptr);
    mode = 0;
    EXPECT_EQ(SearchMode(15, mode), nullptr);
}

class DeviceSearch : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        AddMode(MakeMode(9, 4, 639, 479, 16));
        AddMode(MakeMode(9, 2, 799, 599, 16));
        AddMode(MakeMode(10, 6, 639, 479, 256));
        AddMode(MakeMode(9, 8, 1023, 767, 16));
    }
    static std::pair<std::int16_t, const TModeInfo*> Search(std::int16_t driver,
                                                            std::int16_t mode) {
        const TModeInfo* found = SearchMode(driver, mode);
        return {mode, found};
    }
};

TEST_F(DeviceSearch, LowestIsTheFirstRegisteredRecord) {
    auto [mode, found] = Search(9, LowestModeRequest);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(found, ModeList);
}

TEST_F(DeviceSearch, HighestIsTheLastOfTheFirstUnbrokenRun) {
    auto [mode, found] = Search(9, HighestModeRequest);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(found->MaxX, 799);
    auto [mode10, found10] = Search(10, HighestModeRequest);
    ASSERT_NE(found10, nullptr);
    EXPECT_EQ(mode10, 6);
}

TEST_F(DeviceSearch, HighestOfARunAtTheEndOfTheListIsItsLastRecord) {
    AddMode(MakeMode(7, 3, 99, 99, 32));
    auto [mode, found] = Search(7, HighestModeRequest);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(mode, 3);
    AddMode(MakeMode(7, 5, 99, 99, 32));
    auto [longer, foundLonger] = Search(7, HighestModeRequest);
    ASSERT_NE(foundLonger, nullptr);
    EXPECT_EQ(longer, 5);
}

TEST_F(DeviceSearch, PlainNumbersAreTheRecordsModeNumbers) {
    auto [mode, found] = Search(9, 8);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->MaxX, 1023);
    auto [unknown, none] = Search(9, 6);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(unknown, 6);
    auto [missing, nothing] = Search(8, HighestModeRequest);
    EXPECT_EQ(nothing, nullptr);
    EXPECT_EQ(missing, HighestModeRequest);
}

TEST_F(DeviceSearch, GetModeRangeReportsBothEndsOrMinusOne) {
    std::int16_t lowest = 0;
    std::int16_t highest = 0;
    GetModeRange(9, lowest, highest);
    EXPECT_EQ(lowest, 4);
    EXPECT_EQ(highest, 2);
    GetModeRange(13, lowest, highest);
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 3);
    GetModeRange(15, lowest, highest);
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 1);
    GetModeRange(14, lowest, highest);
    EXPECT_EQ(lowest, -1);
    EXPECT_EQ(highest, -1);
    GetModeRange(3, lowest, highest);
    EXPECT_EQ(lowest, -1);
    EXPECT_EQ(highest, -1);
}

} // namespace
