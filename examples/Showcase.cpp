// The showcase's picture. The screen is cut into a grid of three columns and
// two rows of panels; each panel sets a clipping viewport of its own, draws a
// frame and a title, and shows one part of the library in it. Everything goes
// through the kernel's operation table, so the window driver draws what it
// overrides (pixels, runs, text, images) and the kernel draws the rest.
#include "examples/Showcase.h"

#include "graph/Graph.h"

#include <array>
#include <cstdint>
#include <string>

namespace Showcase {
namespace {

using Graph::ShortString;

constexpr std::uint16_t White = 15;
constexpr std::uint16_t LightGray = 7;
constexpr std::uint16_t Yellow = 14;
constexpr std::uint16_t LightCyan = 11;

// A panel's place on the screen, inclusive corners.
struct Panel {
    std::int16_t Left;
    std::int16_t Top;
    std::int16_t Right;
    std::int16_t Bottom;
    std::int16_t Width() const { return static_cast<std::int16_t>(Right - Left); }
    std::int16_t Height() const { return static_cast<std::int16_t>(Bottom - Top); }
};

// Keeps everything the showcase changes and puts it back at the end.
class StateSaver {
public:
    StateSaver() { Graph::GetViewSettings(viewPort_); }
    ~StateSaver() {
        Graph::SetViewPort(viewPort_.X1, viewPort_.Y1, viewPort_.X2, viewPort_.Y2, viewPort_.Clip);
        Graph::CurrentTextInfo = textInfo_;
        Graph::FillSettings = fill_;
    }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

private:
    Graph::ViewPortType viewPort_;
    Graph::AttributeSaver attributes_;
    Graph::TextInfoType textInfo_ = Graph::CurrentTextInfo;
    Graph::FillSettingsType fill_ = Graph::FillSettings;
};

void Text(std::int16_t x, std::int16_t y, const std::string& text) {
    Graph::OutTextXY(x, y, ShortString(text));
}

void FilledBox(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
               std::uint16_t color) {
    Graph::CurrentColor = color;
    for (std::int16_t y = y1; y <= y2; ++y)
        Graph::HLine(x1, x2, y);
}

void Frame(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    Graph::Line(x1, y1, x2, y1);
    Graph::Line(x2, y1, x2, y2);
    Graph::Line(x2, y2, x1, y2);
    Graph::Line(x1, y2, x1, y1);
}

// Makes the panel the clipping viewport, frames it and writes its title.
void BeginPanel(const Panel& panel, const std::string& title) {
    Graph::SetViewPort(panel.Left, panel.Top, panel.Right, panel.Bottom, true);
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
    Graph::CurrentColor = LightGray;
    Frame(0, 0, panel.Width(), panel.Height());
    Graph::CurrentTextInfo = Graph::TextInfoType{0, 0, 2, 0, 2};
    Graph::CurrentColor = White;
    Text(8, 8, title);
    Graph::CurrentTextInfo = Graph::TextInfoType{0, 0, 1, 0, 2};
}

void LineStyles(const Panel& panel) {
    BeginPanel(panel, "Line styles");
    static const std::array<const char*, 5> names = {"solid", "dotted", "center", "dashed",
                                                     "user 0xF18F"};
    const std::int16_t right = static_cast<std::int16_t>(panel.Width() - 16);
    for (std::uint16_t style = 0; style < names.size(); ++style)
        for (std::uint16_t thick = 0; thick < 2; ++thick) {
            std::int16_t y = static_cast<std::int16_t>(48 + style * 64 + thick * 24);
            Graph::CurrentColor = Yellow;
            Text(16, static_cast<std::int16_t>(y - 4),
                 std::string(names[style]) + (thick ? ", thick" : ", normal"));
            Graph::SetLineStyle(style, 0xF18F,
                                thick ? Graph::ThicknessThick : Graph::ThicknessNormal);
            Graph::CurrentColor = static_cast<std::uint16_t>(9 + style);
            Graph::Line(200, y, right, y);
            Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
        }
    // Slanted lines in every octant show the walk and the clipping at the
    // panel's edge.
    Graph::CurrentColor = LightCyan;
    const std::int16_t cx = static_cast<std::int16_t>(panel.Width() / 2);
    const std::int16_t cy = static_cast<std::int16_t>(panel.Height() - 130);
    for (std::int16_t k = -4; k <= 4; ++k)
        Graph::Line(cx, cy, static_cast<std::int16_t>(cx + k * 90), panel.Height() + 40);
}

void FillPatterns(const Panel& panel) {
    BeginPanel(panel, "Fill patterns");
    // The user pattern: a small diamond.
    static const std::uint8_t diamond[8] = {0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0x7E, 0x3C, 0x18};
    std::copy(diamond, diamond + 8, Graph::FillPatternTable[Graph::UserFillPattern]);
    const std::int16_t columns = 5;
    const std::int16_t cellWidth = static_cast<std::int16_t>((panel.Width() - 32) / columns);
    for (std::uint16_t pattern = 0; pattern < Graph::FillPatternCount; ++pattern) {
        std::int16_t x = static_cast<std::int16_t>(16 + (pattern % columns) * cellWidth);
        std::int16_t y = static_cast<std::int16_t>(48 + (pattern / columns) * 120);
        Graph::CurrentColor = Yellow;
        Text(x, y, "pattern " + std::to_string(pattern));
        Graph::FillSettings = {pattern, static_cast<std::uint16_t>(1 + pattern)};
        Graph::CurrentColor = static_cast<std::uint16_t>(1 + pattern);
        for (std::int16_t row = 0; row < 80; ++row)
            Graph::PatternLine(x, static_cast<std::int16_t>(x + cellWidth - 24),
                               static_cast<std::int16_t>(y + 16 + row));
        Graph::CurrentColor = LightGray;
        Frame(x, static_cast<std::int16_t>(y + 16), static_cast<std::int16_t>(x + cellWidth - 24),
              static_cast<std::int16_t>(y + 95));
    }
}

void Curves(const Panel& panel) {
    BeginPanel(panel, "Circles, arcs, ellipses");
    Graph::CurrentColor = White;
    std::int16_t x = 40;
    for (std::uint16_t radius : {0, 1, 2, 5, 10, 20, 40, 70}) {
        x = static_cast<std::int16_t>(x + radius + 12);
        Graph::Circle(x, 140, radius);
        x = static_cast<std::int16_t>(x + radius);
    }
    // The four quarter arcs, each in its own colour, then an arc that runs
    // across 0 degrees and one given with its angles exchanged.
    for (std::uint16_t quarter = 0; quarter < 4; ++quarter) {
        Graph::CurrentColor = static_cast<std::uint16_t>(9 + quarter);
        Graph::InternalEllipse(90, 330, 60, 60, static_cast<std::uint16_t>(quarter * 90),
                               static_cast<std::uint16_t>(quarter * 90 + 90),
                               Graph::DummyPatternLine);
    }
    Graph::CurrentColor = Yellow;
    Graph::InternalEllipse(240, 330, 60, 40, 300, 420, Graph::DummyPatternLine);
    Graph::CurrentColor = LightCyan;
    Graph::InternalEllipse(380, 330, 40, 60, 270, 45, Graph::DummyPatternLine);
    // Thick outlines, and filled ellipses whose inside rows come back through
    // the fill callback.
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessThick);
    for (std::uint16_t k = 0; k < 3; ++k) {
        Graph::CurrentColor = static_cast<std::uint16_t>(2 + k);
        Graph::InternalEllipse(
            static_cast<std::int16_t>(520 + k * 10), 330, static_cast<std::uint16_t>(90 - k * 25),
            static_cast<std::uint16_t>(30 + k * 15), 0, 360, Graph::DummyPatternLine);
    }
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
    for (std::uint16_t k = 0; k < 3; ++k) {
        Graph::FillSettings = {static_cast<std::uint16_t>(1 + k * 4),
                               static_cast<std::uint16_t>(12 + k)};
        Graph::CurrentColor = static_cast<std::uint16_t>(12 + k);
        Graph::InternalEllipse(static_cast<std::int16_t>(100 + k * 170), 450, 70, 36, 0, 360,
                               Graph::PatternLine);
    }
}

// The nine justifications around a cross each, then sizes 1 to 4 in both
// directions.
void Texts(const Panel& panel) {
    BeginPanel(panel, "Bitmap text");
    for (std::uint16_t horizontal = 0; horizontal < 3; ++horizontal)
        for (std::uint16_t vertical = 0; vertical < 3; ++vertical) {
            std::int16_t x = static_cast<std::int16_t>(80 + horizontal * 130);
            std::int16_t y = static_cast<std::int16_t>(70 + (2 - vertical) * 40);
            Graph::CurrentColor = 12;
            Graph::Line(static_cast<std::int16_t>(x - 6), y, static_cast<std::int16_t>(x + 6), y);
            Graph::Line(x, static_cast<std::int16_t>(y - 6), x, static_cast<std::int16_t>(y + 6));
            Graph::CurrentTextInfo = Graph::TextInfoType{0, 0, 1, horizontal, vertical};
            Graph::CurrentColor = White;
            Text(x, y, "H" + std::to_string(horizontal) + "V" + std::to_string(vertical));
        }
    std::int16_t y = 200;
    for (std::uint16_t size = 1; size <= 4; ++size) {
        Graph::CurrentTextInfo = Graph::TextInfoType{0, 0, size, 0, 2};
        Graph::CurrentColor = static_cast<std::uint16_t>(9 + size);
        Text(16, y, "Size " + std::to_string(size) + " \x01\x03\x0E\xB0\xB1\xB2\xDB\x82\xE1");
        y = static_cast<std::int16_t>(y + 8 * size + 8);
    }
    std::int16_t x = 16;
    for (std::uint16_t size = 1; size <= 4; ++size) {
        Graph::CurrentTextInfo = Graph::TextInfoType{0, 1, size, 0, 0};
        Graph::CurrentColor = static_cast<std::uint16_t>(9 + size);
        Text(x, static_cast<std::int16_t>(panel.Height() - 12), "Up " + std::to_string(size));
        x = static_cast<std::int16_t>(x + 8 * size + 16);
    }
}

// A small picture is taken with GetImage and put back beside stripes with
// each write mode.
void Images(const Panel& panel) {
    BeginPanel(panel, "Images and write modes");
    const std::int16_t size = 63;
    FilledBox(16, 48, static_cast<std::int16_t>(16 + size), static_cast<std::int16_t>(48 + size),
              1);
    Graph::CurrentColor = Yellow;
    Graph::Circle(static_cast<std::int16_t>(16 + size / 2),
                  static_cast<std::int16_t>(48 + size / 2), 24);
    Graph::CurrentColor = 12;
    Graph::Line(16, 48, static_cast<std::int16_t>(16 + size), static_cast<std::int16_t>(48 + size));
    Graph::CurrentColor = White;
    Text(22, 76, "IMG");

    std::int32_t bytes = Graph::ImageSize(16, 48, static_cast<std::int16_t>(16 + size),
                                          static_cast<std::int16_t>(48 + size));
    std::string image(static_cast<std::size_t>(bytes), '\0');
    Graph::GetImage(16, 48, static_cast<std::int16_t>(16 + size),
                    static_cast<std::int16_t>(48 + size), image.data());

    static const std::array<const char*, 5> modes = {"copy", "xor", "or", "and", "not"};
    for (std::uint16_t mode = 0; mode < modes.size(); ++mode) {
        std::int16_t x = static_cast<std::int16_t>(16 + mode * 110);
        std::int16_t y = 200;
        for (std::int16_t stripe = 0; stripe < 8; ++stripe)
            FilledBox(x, static_cast<std::int16_t>(y + stripe * 10),
                      static_cast<std::int16_t>(x + 90),
                      static_cast<std::int16_t>(y + stripe * 10 + 4),
                      static_cast<std::uint16_t>(2 + stripe));
        Graph::PutImage(static_cast<std::int16_t>(x + 12), static_cast<std::int16_t>(y + 8),
                        image.data(), mode);
        Graph::CurrentColor = Yellow;
        Text(x, static_cast<std::int16_t>(y - 14), modes[mode]);
    }
    // Put partly outside the panel: clipped at its left and bottom edges.
    Graph::PutImage(-20, static_cast<std::int16_t>(panel.Height() - 30), image.data(), 0);
}

void Colours(const Panel& panel) {
    BeginPanel(panel, "Colours");
    for (std::uint16_t color = 0; color < 16; ++color) {
        std::int16_t x = static_cast<std::int16_t>(16 + (color % 8) * 70);
        std::int16_t y = static_cast<std::int16_t>(48 + (color / 8) * 60);
        FilledBox(x, y, static_cast<std::int16_t>(x + 56), static_cast<std::int16_t>(y + 32),
                  color);
        Graph::CurrentColor = LightGray;
        Frame(x, y, static_cast<std::int16_t>(x + 56), static_cast<std::int16_t>(y + 32));
        Graph::CurrentColor = White;
        Text(x, static_cast<std::int16_t>(y + 38), std::to_string(color));
    }
    if (Graph::GetMaxColor() < 255)
        return;
    const std::int16_t cell = 14;
    for (std::uint16_t color = 0; color < 256; ++color) {
        std::int16_t x = static_cast<std::int16_t>(16 + (color % 32) * cell);
        std::int16_t y = static_cast<std::int16_t>(180 + (color / 32) * cell);
        FilledBox(x, y, static_cast<std::int16_t>(x + cell - 2),
                  static_cast<std::int16_t>(y + cell - 2), color);
    }
}

} // namespace

void DrawShowcase() {
    StateSaver saver;
    const std::int16_t width = static_cast<std::int16_t>(Graph::GetMaxX() + 1);
    const std::int16_t height = static_cast<std::int16_t>(Graph::GetMaxY() + 1);
    const std::int16_t columnWidth = static_cast<std::int16_t>(width / 3);
    const std::int16_t rowHeight = static_cast<std::int16_t>(height / 2);
    auto panelAt = [&](int column, int row) {
        return Panel{static_cast<std::int16_t>(column * columnWidth + 2),
                     static_cast<std::int16_t>(row * rowHeight + 2),
                     static_cast<std::int16_t>((column + 1) * columnWidth - 3),
                     static_cast<std::int16_t>((row + 1) * rowHeight - 3)};
    };
    LineStyles(panelAt(0, 0));
    FillPatterns(panelAt(1, 0));
    Curves(panelAt(2, 0));
    Texts(panelAt(0, 1));
    Images(panelAt(1, 1));
    Colours(panelAt(2, 1));
}

} // namespace Showcase
