// The kernel's tests share one process, and the kernel has no reset of its
// own: the fixtures put its registry, fonts, table and state back to what a
// fresh process has before and after each test. The recorders stand in for
// a display driver's pixel, run and palette slots; the canvas is a small
// in-memory screen whose pixel slots read and write a grid of colours.
#pragma once

#include "graph/Graph.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Kernel {

using Point = std::pair<int, int>;

// One DirectPutPixel, HLine (x, x2, y) or VLine (x, y, y2) call, with the
// colour and write mode in force.
struct Call {
    char Kind;
    int A, B, C;
    std::uint16_t Color = Graph::CurrentColor;
    std::int16_t WriteMode = Graph::CurrentWriteMode;
    bool operator==(const Call&) const = default;
};
// One SetRGBPalette call and the viewport in force at that moment.
struct PaletteCall {
    int Number, Red, Green, Blue;
    Graph::ViewPortType ViewPort;
};

inline std::vector<Call> Calls;
inline std::vector<PaletteCall> PaletteCalls;

inline void RecordPixel(std::int16_t x, std::int16_t y) {
    Calls.push_back({'P', x, y, 0});
}
inline void RecordHLine(std::int16_t x, std::int16_t x2, std::int16_t y) {
    Calls.push_back({'H', x, x2, y});
}
inline void RecordVLine(std::int16_t x, std::int16_t y, std::int16_t y2) {
    Calls.push_back({'V', x, y, y2});
}
inline void RecordPalette(std::int16_t number, std::int16_t red, std::int16_t green,
                          std::int16_t blue) {
    PaletteCalls.push_back({number, red, green, blue, {}});
    Graph::GetViewSettings(PaletteCalls.back().ViewPort);
}

// The positions of the recorded pixels, in drawing order; the record starts
// afresh.
inline std::vector<Point> TakePositions() {
    std::vector<Point> points;
    for (const Call& call : std::exchange(Calls, {}))
        if (call.Kind == 'P')
            points.emplace_back(call.A, call.B);
    return points;
}

// The points marked '#' in rows of text whose first character is at (x, y).
inline std::set<Point> Picture(int x, int y, std::initializer_list<std::string_view> rows) {
    std::set<Point> points;
    for (std::string_view row : rows) {
        for (int i = 0; i < static_cast<int>(row.size()); ++i)
            if (row[i] == '#')
                points.emplace(x + i, y);
        ++y;
    }
    return points;
}

// The pixels of text in the bitmap font, each glyph pixel an s × s square.
// Horizontal cells run right from (x, y); vertical ones run up, the first
// ending on row y, each glyph turned a quarter anticlockwise.
inline std::set<Point> GlyphPixels(int x, int y, std::string_view text, int s, bool vertical) {
    std::set<Point> pixels;
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
        for (int r = 0; r < 8 * s; ++r)
            for (int c = 0; c < 8 * s; ++c)
                if (Graph::DefaultFontData[std::uint8_t(text[i]) * 64 + r / s * 8 + c / s])
                    pixels.insert(vertical ? Point{x + r, y - 8 * s * i - c}
                                           : Point{x + 8 * s * i + c, y + r});
    return pixels;
}

// Puts the kernel back as a fresh process has it; its own exit procedure
// frees the registry and the fonts.
inline void ResetKernel() {
    using namespace Graph;
    Runtime::ErrorCode = Runtime::InOutRes = 0;
    Runtime::ErrorAddr = nullptr;
    GraphExitProc();
    InitVars();
    SaveVideoState = RestoreVideoState = nullptr;
    BindDisplayDriver({});
    GraphResult = InstalledFonts = CurrentColor = CurrentBkColor = CurrentWriteMode = 0;
    IsGraphMode = ClipPixels = false;
    FirstCallOfInitGraph = true;
    StartXViewPort = StartYViewPort = ViewWidth = ViewHeight = CurrentX = CurrentY = 0;
    LineInfo = {};
    std::fill(std::begin(LinePatterns), std::end(LinePatterns), true);
    FillSettings = {};
    CurrentTextInfo = {};
    CurrentXRatio = CurrentYRatio = 0.0f;
    DrawTextBackground = false;
    GraphStringTransTable = nullptr;
    ExitSave = Runtime::ExitProc = nullptr;
    CharMessageHandler = MouseMessageHandler = nullptr;
    Calls.clear();
    PaletteCalls.clear();
}

} // namespace Kernel

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override { Kernel::ResetKernel(); }
    void TearDown() override { Kernel::ResetKernel(); }
};

// A 640 × 480, 16-colour screen of square pixels whose pixel and palette
// slots record, with the kernel's default lines and runs.
class DrawingTest : public KernelTest {
protected:
    void SetUp() override {
        using namespace Graph;
        KernelTest::SetUp();
        MaxX = 639;
        MaxY = 479;
        MaxColor = 16;
        SetViewPort(0, 0, 639, 479, true);
        LineInfo = {LineStyleSolid, 0xFFFF, ThicknessNormal};
        FillSettings = {1, 15};
        CurrentColor = 15;
        XAspect = YAspect = 10000;
        DirectPutPixel = Kernel::RecordPixel;
        PutPixel = [](std::int16_t x, std::int16_t y, std::uint16_t color) {
            Kernel::Calls.push_back({'P', x, y, 0, color});
        };
        SetRGBPalette = Kernel::RecordPalette;
    }
};

namespace Canvas {

constexpr int Width = 24, Height = 16;
inline std::vector<std::uint16_t> Colors, FillCounts;

inline std::uint16_t& At(int x, int y) {
    return Colors[static_cast<std::size_t>(y * Width + x)];
}

constexpr std::string_view Digits = ".123456789ABCDEF";

// The rows from the top-left corner, as many and as wide as those given:
// '.' is colour 0, a hex digit its colour.
inline std::vector<std::string> PictureLike(std::vector<std::string> picture) {
    for (std::size_t y = 0; y < picture.size(); ++y)
        for (std::size_t x = 0; x < picture[y].size(); ++x)
            picture[y][x] = Digits[At(static_cast<int>(x), static_cast<int>(y)) & 15];
    return picture;
}

} // namespace Canvas

// The 24 × 16 canvas as a 16-colour screen with the kernel's own lines,
// runs and curves on top of it; the fills here are solid.
class CanvasTest : public DrawingTest {
protected:
    void SetUp() override {
        using namespace Graph;
        DrawingTest::SetUp();
        Canvas::Colors.assign(Canvas::Width * Canvas::Height, 0);
        Canvas::FillCounts = Canvas::Colors;
        MaxX = Canvas::Width - 1;
        MaxY = Canvas::Height - 1;
        PaletteSize = 16;
        SetViewPort(0, 0, MaxX, MaxY, true);
        DirectPutPixel = [](std::int16_t x, std::int16_t y) { Canvas::At(x, y) = CurrentColor; };
        PutPixel = [](std::int16_t x, std::int16_t y, std::uint16_t color) {
            if (x >= 0 && y >= 0 && x < Canvas::Width && y < Canvas::Height)
                Canvas::At(x, y) = color;
        };
        Graph::GetPixel = [](std::int16_t x, std::int16_t y) { return Canvas::At(x, y); };
        // Fill rows count the pixels they are given and paint them solid.
        PatternLine = [](std::int16_t x1, std::int16_t x2, std::int16_t y) {
            for (int x = x1; x <= x2; ++x) {
                ++Canvas::FillCounts[static_cast<std::size_t>(y * Canvas::Width + x)];
                Canvas::At(x, y) = FillSettings.Color;
            }
        };
    }
};
