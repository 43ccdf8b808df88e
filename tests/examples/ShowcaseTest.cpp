// The showcase drawn by the window driver on the headless desktop: pixels
// of its shapes panel, worked out from the figures it draws, and the state
// it leaves behind.
#include "examples/Showcase.h"
#include "tests/win32gui/DriverFixture.h"

namespace {

using namespace Graph;

class ShowcaseTest : public DriverFixture::WindowDriverTest {};

TEST_F(ShowcaseTest, ShapesPanelHoldsItsFiguresAndTheStateIsPutBack) {
    OpenDetected();
    ASSERT_EQ(GraphResult, GraphOk);
    SetColor(6);
    SetTextStyle(SerifFont, VertDir, 3);
    Showcase::DrawShowcase();
    EXPECT_EQ(std::make_tuple(GetColor(), CurrentTextInfo.FontNumber, CurrentTextInfo.Direction,
                              CurrentTextInfo.CharSize),
              std::make_tuple(std::uint16_t{6}, SerifFont, VertDir, std::uint16_t{3}));

    // The panel in the fourth column, second row, as the showcase lays it out.
    const int left = 3 * ((GetMaxX() + 1) / 4) + 2;
    const int top = (GetMaxY() + 1) / 2 + 2;
    struct Probe {
        int X, Y, Color;
        const char* What;
    } probes[] = {
        {60, 60, 12, "a star's arm, filled"},
        {60, 95, 0, "the star's centre, left open by the even-odd rule"},
        {365, 90, 2, "the pie at 30 degrees"},
        {350, 145, 5, "the pie at 300 degrees"},
        {34, 288, 9, "inside the first 3-D bar"},
        {25, 455, 1, "the flooded box"},
        {110, 400, 0, "inside the circle the flood stopped at"},
    };
    SetViewPort(0, 0, GetMaxX(), GetMaxY(), true);
    for (const Probe& p : probes)
        EXPECT_EQ(Graph::GetPixel(left + p.X, top + p.Y), p.Color) << p.What;
}

} // namespace
