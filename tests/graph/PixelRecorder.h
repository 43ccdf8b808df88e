// Recording operations for the kernel's operation table, and a fixture that
// gives each drawing test a 640 × 480, 16-colour screen whose pixel, run and
// palette slots record what reaches them. The fixture puts every global and
// slot that these tests may change back as it found it, since the other
// kernel tests run in the same executable.
#pragma once

#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

namespace PixelRecorder {

using Point = std::pair<int, int>;

// One DirectPutPixel call with the attributes it drew with.
struct Pixel {
    int X = 0;
    int Y = 0;
    std::uint16_t Color = 0;
    std::int16_t WriteMode = 0;
    bool operator==(const Pixel&) const = default;
};

// One HLine (x, x2, y) or VLine (x, y, y2) call, arguments as passed.
struct RunCall {
    char Kind = 'H';
    int A = 0;
    int B = 0;
    int C = 0;
    std::uint16_t Color = 0;
    std::int16_t WriteMode = 0;
    std::uint16_t LineStyle = 0;
    bool operator==(const RunCall&) const = default;
};

// One SetRGBPalette call and the viewport in force at that moment.
struct PaletteCall {
    int Number = 0;
    int Red = 0;
    int Green = 0;
    int Blue = 0;
    Graph::ViewPortType ViewPort;
};

inline void PrintTo(const Pixel& pixel, std::ostream* out) {
    *out << "(" << pixel.X << ", " << pixel.Y << ") colour " << pixel.Color << " mode "
         << pixel.WriteMode;
}
inline void PrintTo(const RunCall& run, std::ostream* out) {
    *out << run.Kind << "Line(" << run.A << ", " << run.B << ", " << run.C << ") colour "
         << run.Color << " mode " << run.WriteMode << " style " << run.LineStyle;
}

inline std::vector<Pixel> Pixels;
inline std::vector<RunCall> Runs;
inline std::vector<PaletteCall> PaletteCalls;

inline void RecordDirectPutPixel(std::int16_t x, std::int16_t y) {
    Pixels.push_back({x, y, Graph::CurrentColor, Graph::CurrentWriteMode});
}

inline void RecordHLine(std::int16_t x, std::int16_t x2, std::int16_t y) {
    Runs.push_back(
        {'H', x, x2, y, Graph::CurrentColor, Graph::CurrentWriteMode, Graph::LineInfo.LineStyle});
}

inline void RecordVLine(std::int16_t x, std::int16_t y, std::int16_t y2) {
    Runs.push_back(
        {'V', x, y, y2, Graph::CurrentColor, Graph::CurrentWriteMode, Graph::LineInfo.LineStyle});
}

inline void RecordSetRGBPalette(std::int16_t number, std::int16_t red, std::int16_t green,
                                std::int16_t blue) {
    PaletteCall call{number, red, green, blue, {}};
    Graph::GetViewSettings(call.ViewPort);
    PaletteCalls.push_back(call);
}

// Slots that the code under test must not reach.
inline void UnexpectedPutPixel(std::int16_t, std::int16_t, std::uint16_t) {
    ADD_FAILURE() << "the PutPixel slot was called";
}
inline std::uint16_t UnexpectedGetPixel(std::int16_t, std::int16_t) {
    ADD_FAILURE() << "the GetPixel slot was called";
    return 0;
}

// Positions of the recorded pixels, in drawing order and as a set.
inline std::vector<Point> Positions() {
    std::vector<Point> points;
    for (const Pixel& pixel : Pixels)
        points.emplace_back(pixel.X, pixel.Y);
    return points;
}
inline std::set<Point> PositionSet() {
    std::vector<Point> points = Positions();
    return {points.begin(), points.end()};
}

// Every point of a rectangle, both corners included.
inline std::set<Point> Rectangle(int x1, int y1, int x2, int y2) {
    std::set<Point> points;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            points.emplace(x, y);
    return points;
}

} // namespace PixelRecorder

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace Graph;
        PixelRecorder::Pixels.clear();
        PixelRecorder::Runs.clear();
        PixelRecorder::PaletteCalls.clear();
        GraphResult = GraphOk;
        MaxX = 639;
        MaxY = 479;
        MaxColor = 16;
        DirectColor = false;
        StartXViewPort = 0;
        StartYViewPort = 0;
        ViewWidth = 639;
        ViewHeight = 479;
        ClipPixels = true;
        CurrentX = 0;
        CurrentY = 0;
        LineInfo = {LineStyleSolid, 0xFFFF, ThicknessNormal};
        std::fill(std::begin(LinePatterns), std::end(LinePatterns), true);
        FillSettings = {1, 15};
        CurrentColor = 15;
        CurrentBkColor = 0;
        CurrentWriteMode = 0;
        Graph::DirectPutPixel = PixelRecorder::RecordDirectPutPixel;
        Graph::PutPixel = PixelRecorder::UnexpectedPutPixel;
        Graph::GetPixel = PixelRecorder::UnexpectedGetPixel;
        Graph::SetRGBPalette = PixelRecorder::RecordSetRGBPalette;
        Graph::HLine = HLineDefault;
        Graph::VLine = VLineDefault;
        Graph::Line = LineDefault;
        Graph::PatternLine = PatternLineDefault;
        Graph::ClearViewPort = ClearViewPortDefault;
    }

    void TearDown() override { Saved.Restore(); }

    // Sets the viewport directly, without SetViewPort's checks.
    static void UseViewPort(int x1, int y1, int x2, int y2, bool clip) {
        Graph::StartXViewPort = static_cast<std::int16_t>(x1);
        Graph::StartYViewPort = static_cast<std::int16_t>(y1);
        Graph::ViewWidth = static_cast<std::int16_t>(x2 - x1);
        Graph::ViewHeight = static_cast<std::int16_t>(y2 - y1);
        Graph::ClipPixels = clip;
    }

private:
    struct KernelSnapshot {
        std::int16_t GraphResult = Graph::GraphResult;
        std::int16_t MaxX = Graph::MaxX;
        std::int16_t MaxY = Graph::MaxY;
        std::int32_t MaxColor = Graph::MaxColor;
        bool DirectColor = Graph::DirectColor;
        std::int16_t StartXViewPort = Graph::StartXViewPort;
        std::int16_t StartYViewPort = Graph::StartYViewPort;
        std::int16_t ViewWidth = Graph::ViewWidth;
        std::int16_t ViewHeight = Graph::ViewHeight;
        bool ClipPixels = Graph::ClipPixels;
        std::int16_t CurrentX = Graph::CurrentX;
        std::int16_t CurrentY = Graph::CurrentY;
        Graph::LineSettingsType LineInfo = Graph::LineInfo;
        std::array<bool, 16> LinePatterns = std::to_array(Graph::LinePatterns);
        Graph::FillSettingsType FillSettings = Graph::FillSettings;
        std::array<std::uint8_t, 8> UserFillPattern =
            std::to_array(Graph::FillPatternTable[Graph::UserFillPattern]);
        std::uint16_t CurrentColor = Graph::CurrentColor;
        std::uint16_t CurrentBkColor = Graph::CurrentBkColor;
        std::int16_t CurrentWriteMode = Graph::CurrentWriteMode;
        Graph::DirectPutPixelProc DirectPutPixel = Graph::DirectPutPixel;
        Graph::PutPixelProc PutPixel = Graph::PutPixel;
        Graph::GetPixelProc GetPixel = Graph::GetPixel;
        Graph::SetRGBPaletteProc SetRGBPalette = Graph::SetRGBPalette;
        Graph::HLineProc HLine = Graph::HLine;
        Graph::VLineProc VLine = Graph::VLine;
        Graph::LineProc Line = Graph::Line;
        Graph::PatternLineProc PatternLine = Graph::PatternLine;
        Graph::ClearViewPortProc ClearViewPort = Graph::ClearViewPort;

        void Restore() const {
            Graph::GraphResult = GraphResult;
            Graph::MaxX = MaxX;
            Graph::MaxY = MaxY;
            Graph::MaxColor = MaxColor;
            Graph::DirectColor = DirectColor;
            Graph::StartXViewPort = StartXViewPort;
            Graph::StartYViewPort = StartYViewPort;
            Graph::ViewWidth = ViewWidth;
            Graph::ViewHeight = ViewHeight;
            Graph::ClipPixels = ClipPixels;
            Graph::CurrentX = CurrentX;
            Graph::CurrentY = CurrentY;
            Graph::LineInfo = LineInfo;
            std::copy(LinePatterns.begin(), LinePatterns.end(), Graph::LinePatterns);
            Graph::FillSettings = FillSettings;
            std::copy(UserFillPattern.begin(), UserFillPattern.end(),
                      Graph::FillPatternTable[Graph::UserFillPattern]);
            Graph::CurrentColor = CurrentColor;
            Graph::CurrentBkColor = CurrentBkColor;
            Graph::CurrentWriteMode = CurrentWriteMode;
            Graph::DirectPutPixel = DirectPutPixel;
            Graph::PutPixel = PutPixel;
            Graph::GetPixel = GetPixel;
            Graph::SetRGBPalette = SetRGBPalette;
            Graph::HLine = HLine;
            Graph::VLine = VLine;
            Graph::Line = Line;
            Graph::PatternLine = PatternLine;
            Graph::ClearViewPort = ClearViewPort;
        }
    };

    // Taken when the fixture is constructed, before SetUp changes anything.
    KernelSnapshot Saved;
};
