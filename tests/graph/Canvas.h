// A small in-memory screen for the library's operations: the pixel slots
// read and write a grid of colours, and the fill-row slot counts how often
// each pixel is filled. Pictures are rows of text, one character a pixel:
// '.' is colour 0, a digit or letter its colour in hex.
#pragma once

#include "tests/graph/KernelFixture.h"

#include <string>
#include <vector>

namespace Canvas {

constexpr int Width = 24, Height = 16;
inline std::vector<std::uint16_t> Colors;
inline std::vector<std::uint16_t> FillCounts;

inline std::uint16_t& At(int x, int y) {
    return Colors[static_cast<std::size_t>(y * Width + x)];
}

inline void Put(std::int16_t x, std::int16_t y) {
    At(x, y) = Graph::CurrentColor;
}

// The rows from the top-left corner, as many and as wide as those given.
inline std::vector<std::string> PictureLike(const std::vector<std::string>& like) {
    std::vector<std::string> picture;
    for (int y = 0; y < static_cast<int>(like.size()); ++y) {
        std::string row;
        for (int x = 0; x < static_cast<int>(like[0].size()); ++x)
            row += At(x, y) == 0 ? '.' : "0123456789ABCDEF"[At(x, y) & 15];
        picture.push_back(row);
    }
    return picture;
}

inline void Paint(const std::vector<std::string>& picture) {
    for (int y = 0; y < static_cast<int>(picture.size()); ++y)
        for (int x = 0; x < static_cast<int>(picture[y].size()); ++x)
            At(x, y) =
                picture[y][x] == '.' ? 0 : std::stoi(std::string(1, picture[y][x]), nullptr, 16);
}

} // namespace Canvas

// The 24 × 16 canvas as a 16-colour screen with the kernel's own lines,
// runs, fill rows and curves on top of it.
class CanvasTest : public KernelTest {
protected:
    void SetUp() override {
        using namespace Graph;
        KernelTest::SetUp();
        Canvas::Colors.assign(Canvas::Width * Canvas::Height, 0);
        Canvas::FillCounts.assign(Canvas::Width * Canvas::Height, 0);
        MaxX = Canvas::Width - 1;
        MaxY = Canvas::Height - 1;
        MaxColor = PaletteSize = 16;
        SetViewPort(0, 0, MaxX, MaxY, true);
        LineInfo = {LineStyleSolid, 0xFFFF, ThicknessNormal};
        XAspect = YAspect = 10000;
        FillSettings = {1, 15};
        CurrentColor = 15;
        DirectPutPixel = Canvas::Put;
        PutPixel = [](std::int16_t x, std::int16_t y, std::uint16_t color) {
            if (x >= 0 && y >= 0 && x < Canvas::Width && y < Canvas::Height)
                Canvas::At(x, y) = color;
        };
        Graph::GetPixel = [](std::int16_t x, std::int16_t y) { return Canvas::At(x, y); };
        SetRGBPalette = [](std::int16_t, std::int16_t, std::int16_t, std::int16_t) {};
    }
    // Makes the fill-row slot count the pixels it is given, and paint them.
    static void CountFills() {
        Graph::PatternLine = [](std::int16_t x1, std::int16_t x2, std::int16_t y) {
            for (int x = x1; x <= x2; ++x) {
                ++Canvas::FillCounts[static_cast<std::size_t>(y * Canvas::Width + x)];
                Canvas::At(x, y) = Graph::CurrentColor;
            }
        };
    }
};
