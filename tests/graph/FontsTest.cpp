#include "tests/graph/KernelFixture.h"

#include <string>

using namespace Graph;

namespace {

class FontTable : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        KernelFixture::StartKernel({});
    }
};

TEST_F(FontTable, StartUpRegistersTenBuiltInFontsWithoutData) {
    EXPECT_EQ(InstalledFonts, 10);
    for (int n = 0; n < BuiltInFontCount; ++n) {
        const std::string_view name = Fonts[n].FontName;
        EXPECT_EQ(name.size(), 4u);
        for (char c : name)
            EXPECT_TRUE(c >= 'A' && c <= 'Z') << name;
        EXPECT_EQ(Fonts[n].StrokeData, nullptr);
        EXPECT_EQ(Fonts[n].DataSize, 0u);
    }
    EXPECT_EQ(Fonts[0].FontName, "TRIP");
    EXPECT_EQ(Fonts[9].FontName, "BOLD");
}

TEST_F(FontTable, SixMoreFitAndTheSeventhIsRefused) {
    for (std::int16_t expected = 11; expected <= 16; ++expected) {
        GraphResult = GraphError;
        EXPECT_EQ(InstallUserFont("USER" + std::to_string(expected)), expected);
        EXPECT_EQ(GraphResult, GraphOk);
    }
    EXPECT_EQ(InstallUserFont("LAST"), 0);
    EXPECT_EQ(GraphResult, GraphError);
    EXPECT_EQ(InstalledFonts, 16);
    EXPECT_EQ(Fonts[15].FontName, "USER16");
}

TEST_F(FontTable, NamesAreCutToEightCharactersAndMayRepeat) {
    EXPECT_EQ(InstallUserFont("TWELVECHARSX"), 11);
    EXPECT_EQ(Fonts[10].FontName, "TWELVECH");
    EXPECT_EQ(InstallUserFont("TRIP"), 12);
    EXPECT_EQ(Fonts[11].FontName, "TRIP");
}

TEST_F(FontTable, FreeFontDataReleasesEveryBlock) {
    Fonts[0].StrokeData = new std::uint8_t[8]{};
    Fonts[0].DataSize = 8;
    Fonts[9].StrokeData = new std::uint8_t[4]{};
    Fonts[9].DataSize = 4;
    FreeFontData();
    EXPECT_EQ(Fonts[0].StrokeData, nullptr);
    EXPECT_EQ(Fonts[0].DataSize, 0u);
    EXPECT_EQ(Fonts[9].StrokeData, nullptr);
    EXPECT_EQ(Fonts[0].FontName, "TRIP") << "the names stay registered";
}

} // namespace
