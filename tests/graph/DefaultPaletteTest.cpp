#include "graph/DefaultPalette.h"

#include <gtest/gtest.h>

using namespace Graph;

namespace {

void ExpectColor(int index, int red, int green, int blue) {
    EXPECT_EQ(DefaultColors[index].Red, red) << "entry " << index;
    EXPECT_EQ(DefaultColors[index].Green, green) << "entry " << index;
    EXPECT_EQ(DefaultColors[index].Blue, blue) << "entry " << index;
}

TEST(DefaultPalette, StandardColoursHaveBrownAtSix) {
    ExpectColor(1, 0, 0, 168);
    ExpectColor(6, 168, 84, 0);
    ExpectColor(7, 168, 168, 168);
    ExpectColor(8, 84, 84, 84);
    ExpectColor(14, 252, 252, 84);
}

TEST(DefaultPalette, BlacksAndWhites) {
    for (int index : {0, 16, 248, 249, 250, 251, 252, 253, 254, 255})
        ExpectColor(index, 0, 0, 0);
    ExpectColor(15, 252, 252, 252);
    ExpectColor(31, 252, 252, 252);
}

TEST(DefaultPalette, GreyRampRunsFrom16To31) {
    const int levels[16] = {0, 20, 32, 44, 56, 68, 80, 96, 112, 128, 144, 160, 180, 200, 224, 252};
    for (int i = 0; i < 16; ++i)
        ExpectColor(16 + i, levels[i], levels[i], levels[i]);
}

TEST(DefaultPalette, FirstBlockPassesThroughThePrimaryAndMixedHues) {
    ExpectColor(32, 0, 0, 252);
    ExpectColor(36, 252, 0, 252);
    ExpectColor(40, 252, 0, 0);
    ExpectColor(44, 252, 252, 0);
    ExpectColor(48, 0, 252, 0);
    ExpectColor(52, 0, 252, 252);
}

TEST(DefaultPalette, EveryBlockFollowsTheColourWheelOfItsLevels) {
    const int levels[9][5] = {
        {0, 64, 124, 188, 252}, {124, 156, 188, 220, 252}, {180, 196, 216, 232, 252},
        {0, 28, 56, 84, 112},   {56, 68, 84, 96, 112},     {80, 88, 96, 104, 112},
        {0, 16, 32, 48, 64},    {32, 40, 48, 56, 64},      {44, 48, 52, 60, 64}};
    // The wheel as level letters a..e (0..4) for red, green and blue.
    const char* wheel[24] = {"aae", "bae", "cae", "dae", "eae", "ead", "eac", "eab",
                             "eaa", "eba", "eca", "eda", "eea", "dea", "cea", "bea",
                             "aea", "aeb", "aec", "aed", "aee", "ade", "ace", "abe"};
    for (int block = 0; block < 9; ++block)
        for (int hue = 0; hue < 24; ++hue) {
            const int* level = levels[block];
            ExpectColor(32 + 24 * block + hue, level[wheel[hue][0] - 'a'],
                        level[wheel[hue][1] - 'a'], level[wheel[hue][2] - 'a']);
        }
}

TEST(DefaultPalette, IntensitiesAreMultiplesOfFourUpTo252) {
    for (const RGBEntry& entry : DefaultColors)
        for (int component : {entry.Red, entry.Green, entry.Blue}) {
            EXPECT_GE(component, 0);
            EXPECT_LE(component, 252);
            EXPECT_EQ(component % 4, 0);
        }
}

} // namespace
