// The explorer on the headless desktop: a drag zooms, Backspace steps back,
// closing the window ends.
#include "examples/Explorer.h"
#include "tests/win32gui/DriverFixture.h"

namespace {

using namespace Graph;

class ExplorerTest : public DriverFixture::WindowDriverTest {
protected:
    // Steps the explorer until the condition holds; false if it ended or
    // never got there.
    template <typename Condition>
    bool StepUntil(Condition done) {
        for (int i = 0; i < 100 && !done(); ++i)
            if (!Explorer::Step())
                return false;
        return done();
    }
    // Whether the diagram has a point in column 0 within a row of the
    // iterate x.
    bool PointAt(long double x) {
        const int rows = GetMaxY() + 1 - 40;
        const int row = 40 + static_cast<int>((1 - x) * (rows - 1) + 0.5L);
        for (int y = row - 1; y <= row + 1; ++y)
            if (Graph::GetPixel(0, static_cast<std::int16_t>(y)) == 15)
                return true;
        return false;
    }
};

// At r = 1 the iterates creep towards 0; at r = 2.5 they sit on the fixed
// point 1 − 1/r = 0.6.
TEST_F(ExplorerTest, DragZoomsBackspaceStepsBackClosingEnds) {
    OpenDetected();
    ASSERT_EQ(GraphResult, GraphOk);
    Explorer::Begin();
    EXPECT_TRUE(PointAt(0.003L));
    EXPECT_FALSE(PointAt(0.6L));

    const int width = GetMaxX() + 1;
    HWND window = Win32Gui::MainWindow;
    Desktop->MouseButton(window, 1, true, width / 2, 40);
    Desktop->MouseButton(window, 1, false, width - 1, GetMaxY());
    ASSERT_TRUE(StepUntil([] { return Explorer::History.size() == 1; }));
    EXPECT_NEAR(static_cast<double>(Explorer::Current.RMin), 2.5, 3.0 / width);
    EXPECT_EQ(Explorer::Current.RMax, 4.0L);
    EXPECT_EQ(Explorer::Current.XMin, 0.0L);
    EXPECT_EQ(Explorer::Current.XMax, 1.0L);
    EXPECT_TRUE(PointAt(0.6L));

    Desktop->PressKey(window, VK_BACK, 0x0E, '\b');
    ASSERT_TRUE(StepUntil([] { return Explorer::History.empty(); }));
    EXPECT_EQ(Explorer::Current, Explorer::WholeMap);
    EXPECT_TRUE(PointAt(0.003L));
    EXPECT_FALSE(PointAt(0.6L));

    Desktop->Close(window);
    EXPECT_FALSE(StepUntil([] { return false; }));
}

} // namespace
