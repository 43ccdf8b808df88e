// The viewport, the clipper, and the background colour.
#include "tests/graph/KernelFixture.h"

namespace {

using namespace Graph;
using Ints = std::vector<int>;

using ViewPortTest = DrawingTest;

Ints ViewSettings() {
    ViewPortType v;
    GetViewSettings(v);
    return {v.X1, v.Y1, v.X2, v.Y2, v.Clip};
}

// The first three rectangles lie within the screen; each after them is
// refused and leaves the third in force, and the current position too.
TEST_F(ViewPortTest, RectanglesWithinTheScreenAreAcceptedAndOthersChangeNothing) {
    const int rects[][4] = {{0, 0, 639, 479}, {639, 479, 639, 479}, {5, 6, 50, 60},
                            {0, 0, 640, 479}, {0, 0, 639, 480},     {640, 0, 640, 10},
                            {10, 10, 9, 20},  {10, 20, 20, 19},     {-1, 0, 10, 10},
                            {0, -1, 10, 10}};
    for (int i = 0; i < 10; ++i) {
        GraphResult = GraphOk;
        CurrentX = 7;
        SetViewPort(rects[i][0], rects[i][1], rects[i][2], rects[i][3], i >= 3);
        const int* in = rects[std::min(i, 2)];
        EXPECT_EQ(ViewSettings(), (Ints{in[0], in[1], in[2], in[3], false})) << i;
        EXPECT_EQ((Ints{GraphResult, CurrentX}), (i < 3 ? Ints{GraphOk, 0} : Ints{GraphError, 7}))
            << i;
    }
}

TEST(LineClipper, CutsAtTheEdgesTruncatingTowardsZeroAndRejectsOutsideSegments) {
    // The segment, the rectangle, and what is left of the segment (nothing:
    // rejected).
    const std::pair<std::array<std::int16_t, 8>, Ints> cases[] = {
        {{0, 0, 30, 30, 10, 10, 20, 20}, {10, 10, 20, 20}},
        {{30, 15, 0, 15, 10, 10, 20, 20}, {20, 15, 10, 15}},
        {{0, 5, 30, 5, 10, 10, 20, 20}, {}},
        {{21, 20, 21, 20, 10, 10, 20, 20}, {}},
        {{0, 0, 3, 10, 1, 0, 100, 100}, {1, 3, 3, 10}},
        {{0, 0, 3, -10, 1, -100, 100, 100}, {1, -3, 3, -10}}, // -10/3 is -3, not -4
        {{-32768, 32767, 32767, -32768, 100, -200, 300, 0}, {100, -101, 199, -200}},
    };
    for (auto [c, clipped] : cases) {
        const bool outside = LineClipped(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        EXPECT_EQ((outside ? Ints() : Ints{c[0], c[1], c[2], c[3]}), clipped);
    }
}

// Single pixels, as thick lines place them, are kept on the viewport's edges
// and dropped one beyond them.
TEST_F(ViewPortTest, PixelClippingKeepsTheEdgesAndDropsWhatLiesBeyond) {
    SetViewPort(10, 20, 100, 100, true);
    for (int x : {9, 10, 100, 101})
        for (int y : {19, 20, 100, 101})
            DirectPutPixelClip(x, y);
    EXPECT_EQ(Kernel::TakePositions(),
              (std::vector<Kernel::Point>{{10, 20}, {10, 100}, {100, 20}, {100, 100}}));
    LineInfo.Thickness = ThicknessThick;
    LineDefault(89, 0, 90, 3); // y-major, three pixels across: screen x 98 to 101
    const std::vector<Kernel::Point> drawn = Kernel::TakePositions(); // of twelve, two dropped
    EXPECT_EQ(std::set(drawn.begin(), drawn.end()),
              Kernel::Picture(98, 20, {"###", "###", " ##", " ##"}));
}

// Entry 0 takes colour 9's light blue while the viewport is the whole
// screen, unclipped; the caller's viewport comes back.
TEST_F(ViewPortTest, BackgroundSetsPaletteEntryZeroOverTheWholeScreenAndKeepsTheViewPort) {
    SetViewPort(5, 6, 50, 60, true);
    CurrentX = 3;
    SetBkColor(9);
    ASSERT_EQ(Kernel::PaletteCalls.size(), 1u);
    const Kernel::PaletteCall& call = Kernel::PaletteCalls[0];
    const ViewPortType& v = call.ViewPort;
    EXPECT_EQ((Ints{CurrentBkColor, CurrentX, call.Number, call.Red, call.Green, call.Blue, v.X1,
                    v.Y1, v.X2, v.Y2, v.Clip}),
              (Ints{9, 0, 0, 84, 84, 252, 0, 0, 639, 479, false}));
    EXPECT_EQ(ViewSettings(), (Ints{5, 6, 50, 60, true}));
    SetBkColor(256); // outside the palette
    DirectColor = true;
    SetBkColor(4);
    EXPECT_EQ((Ints{CurrentBkColor, static_cast<int>(Kernel::PaletteCalls.size())}), (Ints{4, 1}));
}

} // namespace
