// Image sizes and headers, reading a rectangle, and putting an image back
// clipped.
#include "tests/graph/KernelFixture.h"

#include <array>

namespace {

using namespace Graph;

// An image is two bytes a pixel and twelve of header. The rectangle from
// screen (15, 12) to (24, 16) is put back at (-3, -2): clipped, its columns
// 3 to 9 of rows 2 to 4 land at columns 0 to 6 of rows 0 to 2, and a
// narrower or shorter viewport cuts each row's right end or the last rows
// too; unclipped, all 50 pixels go out. Each pixel goes out in its own
// colour with the put mode as the write mode.
TEST_F(DrawingTest, GetImageWritesTheHeaderAndRowsAndAClippedPutSkipsTheClippedPixels) {
    // The screen's pixel (x, y) reads 100 × y + x.
    Graph::GetPixel = [](std::int16_t x, std::int16_t y) {
        return static_cast<std::uint16_t>(100 * (y + StartYViewPort) + x + StartXViewPort);
    };
    EXPECT_EQ(DefaultImageSize(0, 0, 0, 0), 14);
    EXPECT_EQ(DefaultImageSize(-5, -5, 4, -5), 32);
    SetViewPort(5, 3, 60, 40, true);
    std::vector<std::uint16_t> buffer(DefaultImageSize(10, 9, 19, 13) / 2, 0xAAAA);
    DefaultGetImage(10, 9, 19, 13, buffer.data());
    EXPECT_EQ(std::vector(buffer.begin(), buffer.begin() + 6),
              (std::vector<std::uint16_t>{9, 0, 4, 0, 0, 0}));
    for (auto [clip, viewRight, viewBottom] :
         {std::array{1, 639, 479}, {1, 5, 479}, {1, 639, 1}, {0, 639, 479}}) {
        Kernel::Calls.clear();
        SetViewPort(0, 0, viewRight, viewBottom, clip);
        DefaultPutImage(-3, -2, buffer.data(), 1);
        std::vector<Kernel::Call> expected;
        for (int row = clip ? 2 : 0; row <= std::min(4, viewBottom + 2); ++row)
            for (int column = clip ? 3 : 0; column <= std::min(9, viewRight + 3); ++column)
                expected.push_back({'P', column - 3, row - 2, 0,
                                    static_cast<std::uint16_t>(1215 + 100 * row + column), 1});
        EXPECT_EQ(Kernel::Calls, expected)
            << "clipping " << clip << " to " << viewRight << ", " << viewBottom;
    }
    // The put mode is the write mode for the put only.
    EXPECT_EQ(std::pair(int{CurrentWriteMode}, int{CurrentColor}), std::pair(0, 15));
}

} // namespace
