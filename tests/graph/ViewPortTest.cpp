// The viewport, the clipper, the background colour and the default palette.
#include "tests/graph/KernelFixture.h"

namespace {

using namespace Graph;

using ViewPortTest = DrawingTest;

std::vector<int> ViewSettings() {
    ViewPortType v;
    GetViewSettings(v);
    return {v.X1, v.Y1, v.X2, v.Y2, v.Clip};
}

TEST_F(ViewPortTest, RectanglesWithinTheScreenAreAcceptedAndOthersChangeNothing) {
    const int good[][4] = {{0, 0, 639, 479}, {639, 479, 639, 479}, {5, 6, 50, 60}};
    for (const auto& g : good) {
        CurrentX = 7;
        SetViewPort(g[0], g[1], g[2], g[3], false);
        EXPECT_EQ(ViewSettings(), (std::vector<int>{g[0], g[1], g[2], g[3], false}));
        EXPECT_EQ(CurrentX, 0);
    }
    EXPECT_EQ(GraphResult, GraphOk);
    const int bad[][4] = {{0, 0, 640, 479}, {0, 0, 639, 480}, {640, 0, 640, 10}, {10, 10, 9, 20},
                          {10, 20, 20, 19}, {-1, 0, 10, 10},  {0, -1, 10, 10}};
    for (const auto& b : bad) {
        GraphResult = GraphOk;
        CurrentX = 7;
        SetViewPort(b[0], b[1], b[2], b[3], true);
        EXPECT_EQ(GraphResult, GraphError) << b[0] << "," << b[1] << "," << b[2] << "," << b[3];
        EXPECT_EQ(ViewSettings(), (std::vector<int>{5, 6, 50, 60, false}));
        EXPECT_EQ(CurrentX, 7);
    }
}

TEST(LineClipper, CutsAtTheEdgesTruncatingTowardsZeroAndRejectsOutsideSegments) {
    struct Case {
        std::int16_t X1, Y1, X2, Y2, XMin, YMin, XMax, YMax;
        std::vector<int> Clipped; // empty: rejected
    };
    const Case cases[] = {
        {0, 0, 30, 30, 10, 10, 20, 20, {10, 10, 20, 20}},
        {30, 15, 0, 15, 10, 10, 20, 20, {20, 15, 10, 15}},
        {0, 5, 30, 5, 10, 10, 20, 20, {}},
        {21, 20, 21, 20, 10, 10, 20, 20, {}},
        {0, 0, 3, 10, 1, 0, 100, 100, {1, 3, 3, 10}},
        {0, 0, 3, -10, 1, -100, 100, 100, {1, -3, 3, -10}}, // -10/3 is -3, not -4
        {-32768, 32767, 32767, -32768, 100, -200, 300, 0, {100, -101, 199, -200}},
    };
    for (Case c : cases) {
        const bool outside = LineClipped(c.X1, c.Y1, c.X2, c.Y2, c.XMin, c.YMin, c.XMax, c.YMax);
        const std::vector<int> left = {c.X1, c.Y1, c.X2, c.Y2};
        EXPECT_EQ(outside ? std::vector<int>() : left, c.Clipped);
    }
}

// Single pixels, as thick lines place them, are kept on the viewport's edges
// and dropped one beyond them.
TEST_F(ViewPortTest, PixelClippingKeepsTheEdgesAndDropsWhatLiesBeyond) {
    SetViewPort(10, 20, 100, 100, true);
    for (int x : {9, 10, 100, 101})
        for (int y : {19, 20, 100, 101})
            DirectPutPixelClip(x, y);
    EXPECT_EQ(Kernel::Positions(),
              (std::vector<Kernel::Point>{{10, 20}, {10, 100}, {100, 20}, {100, 100}}));
    Kernel::Calls.clear();
    LineInfo.Thickness = ThicknessThick;
    LineDefault(89, 0, 90, 3); // y-major, three pixels across: screen x 98 to 101
    const std::vector<Kernel::Point> drawn = Kernel::Positions();
    EXPECT_EQ(drawn.size(), 10u); // of twelve, the two beyond the edge dropped
    for (const Kernel::Point& p : drawn)
        EXPECT_TRUE(p.first >= 98 && p.first <= 100 && p.second >= 20 && p.second <= 23)
            << p.first << ", " << p.second;
}

TEST_F(ViewPortTest, BackgroundSetsPaletteEntryZeroOverTheWholeScreenAndKeepsTheViewPort) {
    SetViewPort(5, 6, 50, 60, true);
    CurrentX = 3;
    SetBkColor(9);
    EXPECT_EQ(CurrentBkColor, 9);
    EXPECT_EQ(ViewSettings(), (std::vector<int>{5, 6, 50, 60, true}));
    EXPECT_EQ(CurrentX, 0);
    ASSERT_EQ(Kernel::PaletteCalls.size(), 1u);
    const Kernel::PaletteCall& call = Kernel::PaletteCalls[0];
    EXPECT_EQ(
        (std::vector<int>{call.Number, call.Red, call.Green, call.Blue}),
        (std::vector<int>{0, DefaultColors[9].Red, DefaultColors[9].Green, DefaultColors[9].Blue}));
    const ViewPortType& v = call.ViewPort;
    EXPECT_EQ((std::vector<int>{v.X1, v.Y1, v.X2, v.Y2, v.Clip}),
              (std::vector<int>{0, 0, 639, 479, false}));
    SetBkColor(256); // outside the palette
    DirectColor = true;
    SetBkColor(4);
    EXPECT_EQ(CurrentBkColor, 4);
    EXPECT_EQ(Kernel::PaletteCalls.size(), 1u);
}

TEST(DefaultPalette, SpotChecksOfTheStandardColoursGreyRampAndColourBlocks) {
    const int entries[][4] = {
        {1, 0, 0, 168},   {6, 168, 84, 0}, {14, 252, 252, 84}, {15, 252, 252, 252}, {16, 0, 0, 0},
        {23, 96, 96, 96}, {32, 0, 0, 252}, {44, 252, 252, 0},  {57, 156, 124, 252}, {255, 0, 0, 0}};
    for (const auto& e : entries) {
        const RGBEntry& color = DefaultColors[e[0]];
        EXPECT_EQ((std::vector<int>{color.Red, color.Green, color.Blue}),
                  (std::vector<int>{e[1], e[2], e[3]}))
            << "entry " << e[0];
    }
}

} // namespace
