// The explorer on the headless desktop: a drag zooms, Backspace steps back,
// closing the window ends.
#include "examples/Explorer.h"
#include "tests/graph/win32gui/DriverFixture.h"

namespace {

using namespace Graph;

using ExplorerTest = DriverFixture::WindowDriverTest;

// Steps the explorer until the condition holds; false if it ended or never
// got there.
template <typename Condition>
bool StepUntil(Condition done) {
    for (int i = 0; i < 100 && !done(); ++i)
        if (!Explorer::Step())
            return false;
    return done();
}

// Whether the diagram has a point in column 0 within a row of the iterate x.
bool PointAt(long double x) {
    const int row = 40 + static_cast<int>((1 - x) * (GetMaxY() - 40) + 0.5L);
    auto lit = [](int y) { return Graph::GetPixel(0, static_cast<std::int16_t>(y)) == 15; };
    return lit(row - 1) || lit(row) || lit(row + 1);
}

// At r = 1 the iterates creep towards 0; at r = 2.5 they sit on the fixed
// point 1 − 1/r = 0.6.
TEST_F(ExplorerTest, DragZoomsBackspaceStepsBackClosingEnds) {
    Open(Graph::DetectDriver, 0);
    ASSERT_EQ(GraphResult, GraphOk);
    Explorer::Begin();
    EXPECT_EQ(std::make_pair(PointAt(0.003L), PointAt(0.6L)), std::make_pair(true, false));

    const int width = GetMaxX() + 1;
    HWND window = Win32Gui::MainWindow;
    Desktop->MouseButton(window, 1, true, width / 2, 40);
    Desktop->MouseButton(window, 1, false, width - 1, GetMaxY());
    ASSERT_TRUE(StepUntil([] { return Explorer::History.size() == 1; }));
    EXPECT_NEAR(static_cast<double>(Explorer::Current.RMin), 2.5, 3.0 / width);
    EXPECT_EQ(
        std::make_tuple(Explorer::Current.RMax, Explorer::Current.XMin, Explorer::Current.XMax),
        std::make_tuple(4.0L, 0.0L, 1.0L));
    EXPECT_TRUE(PointAt(0.6L));

    Desktop->PressKey(window, VK_BACK, 0x0E, '\b');
    ASSERT_TRUE(StepUntil([] { return Explorer::History.empty(); }));
    EXPECT_EQ(Explorer::Current, Explorer::WholeMap);
    EXPECT_EQ(std::make_pair(PointAt(0.003L), PointAt(0.6L)), std::make_pair(true, false));

    Desktop->Close(window);
    EXPECT_FALSE(StepUntil([] { return false; }));
}

} // namespace
