// Images on the graph window: clipped to the viewport into the back buffer,
// shown by a repaint of their area, and combined by the write mode.
#include "tests/graph/win32gui/DriverFixture.h"

#include <vector>

namespace {

using namespace DriverFixture;

// A 10 × 5 image whose pixel (column, row) has colour 1 + column + 10 × row.
const std::vector<std::uint16_t> Image = [] {
    std::vector<std::uint16_t> image{9, 0, 4, 0, 0, 0};
    for (std::uint16_t k = 1; k <= 50; ++k)
        image.push_back(k);
    return image;
}();

using DriverImageTest = OpenWindowTest;

// Put at (-3, -2) in a viewport at (100, 100), the image's columns 3 to 9 of
// rows 2 to 4 land at screen columns 100 to 106 of rows 100 to 102, in the
// image's own write mode, not the current one (the write modes themselves are
// the pixel operation's, in PrimitivesTest).
TEST_F(DriverImageTest, AnImageAboveAndLeftOfTheViewportShowsExactlyItsInsidePart) {
    Graph::SetViewPort(100, 100, 299, 299, true);
    Graph::CurrentColor = 7;
    Graph::CurrentWriteMode = 3;
    Graph::PutImage(-3, -2, Image.data(), 0);
    const auto expected = [](int x, int y) {
        std::int16_t red = 0, green = 0, blue = 0;
        Graph::GetRGBPalette(static_cast<std::int16_t>(1 + (x - 97) + 10 * (y - 98)), red, green,
                             blue);
        return x >= 100 && x <= 106 && y >= 100 && y <= 102 ? RGB(red, green, blue) : Black;
    };
    // The repaint shows the image up to its last column and row.
    EXPECT_TRUE(Eventually([&] { return Mismatches(96, 98, 108, 104, expected) == 0; }));
    EXPECT_EQ(Graph::CurrentColor + Graph::CurrentWriteMode, 10);
    Graph::PutPixel(150, 150, 15); // straight to the screen again
    EXPECT_EQ(OnScreen(250, 250), White);
}

// The message thread repaints while the images keep coming: an area
// invalidated between its reading of the update rectangle and its painting
// must still be repainted.
TEST_F(DriverImageTest, ImagesPutInQuickSuccessionAreAllShown) {
    for (std::int16_t k = 0; k < 200; ++k)
        Graph::PutImage(static_cast<std::int16_t>(3 * k), static_cast<std::int16_t>(2 * k % 470),
                        Image.data(), 0);
    EXPECT_TRUE(Eventually([&] {
        return Mismatches(0, 0, 639, 479, [&](int x, int y) { return InBackBuffer(x, y); }) == 0;
    }));
}

} // namespace
