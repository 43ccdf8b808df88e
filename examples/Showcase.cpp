// The showcase's picture. The screen is cut into a grid of four columns and
// two rows of panels; each panel sets a clipping viewport of its own, draws a
// frame and a title, and shows one part of the library in it. Everything goes
// through the kernel's operation table, so the window driver draws what it
// overrides (pixels, runs, text, images) and the kernel draws the rest. It
// uses only the library's public operations.
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

// Keeps everything the showcase changes and puts it back at the end, through
// the library's own queries and setters.
class StateSaver {
public:
    StateSaver() {
        Graph::GetViewSettings(viewPort_);
        Graph::GetLineSettings(line_);
        Graph::GetFillSettings(fill_);
        Graph::GetFillPattern(pattern_);
        Graph::GetTextSettings(text_);
    }
    ~StateSaver() {
        Graph::SetViewPort(viewPort_.X1, viewPort_.Y1, viewPort_.X2, viewPort_.Y2, viewPort_.Clip);
        Graph::SetLineStyle(line_.LineStyle, line_.Pattern, line_.Thickness);
        Graph::SetFillPattern(pattern_, fill_.Color);
        if (fill_.Pattern != Graph::UserFill)
            Graph::SetFillStyle(fill_.Pattern, fill_.Color);
        Graph::SetTextStyle(text_.FontNumber, text_.Direction, text_.CharSize);
        Graph::SetTextJustify(text_.HorizJustify, text_.VertJustify);
        Graph::SetColor(color_);
    }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

private:
    Graph::ViewPortType viewPort_;
    Graph::LineSettingsType line_;
    Graph::FillSettingsType fill_;
    std::uint8_t pattern_[8] = {};
    Graph::TextSettingsType text_;
    std::uint16_t color_ = Graph::GetColor();
};

void Text(std::int16_t x, std::int16_t y, const std::string& text) {
    Graph::OutTextXY(x, y, ShortString(text));
}

void FilledBox(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
               std::uint16_t color) {
    Graph::SetFillStyle(Graph::SolidFill, color);
    Graph::Bar(x1, y1, x2, y2);
}

void BitmapText(std::uint16_t size, std::uint16_t direction, std::uint16_t horiz,
                std::uint16_t vert) {
    Graph::SetTextStyle(0, direction, size);
    Graph::SetTextJustify(horiz, vert);
}

// Makes the panel the clipping viewport, frames it and writes its title.
void BeginPanel(const Panel& panel, const std::string& title) {
    Graph::SetViewPort(panel.Left, panel.Top, panel.Right, panel.Bottom, true);
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
    Graph::SetColor(LightGray);
    Graph::Rectangle(0, 0, panel.Width(), panel.Height());
    BitmapText(2, 0, 0, 2);
    Graph::SetColor(White);
    Text(8, 8, title);
    BitmapText(1, 0, 0, 2);
}

void LineStyles(const Panel& panel) {
    BeginPanel(panel, "Line styles");
    static const std::array<const char*, 5> names = {"solid", "dotted", "center", "dashed",
                                                     "user 0xF18F"};
    const std::int16_t right = static_cast<std::int16_t>(panel.Width() - 16);
    for (std::uint16_t style = 0; style < names.size(); ++style)
        for (std::uint16_t thick = 0; thick < 2; ++thick) {
            std::int16_t y = static_cast<std::int16_t>(48 + style * 64 + thick * 24);
            Graph::SetColor(Yellow);
            Text(16, static_cast<std::int16_t>(y - 4),
                 std::string(names[style]) + (thick ? ", thick" : ", normal"));
            Graph::SetLineStyle(style, 0xF18F,
                                thick ? Graph::ThicknessThick : Graph::ThicknessNormal);
            Graph::SetColor(static_cast<std::uint16_t>(9 + style));
            Graph::Line(200, y, right, y);
            Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
        }
    // Slanted lines in every octant show the walk and the clipping at the
    // panel's edge.
    Graph::SetColor(LightCyan);
    const std::int16_t cx = static_cast<std::int16_t>(panel.Width() / 2);
    const std::int16_t cy = static_cast<std::int16_t>(panel.Height() - 130);
    for (std::int16_t k = -4; k <= 4; ++k)
        Graph::Line(cx, cy, static_cast<std::int16_t>(cx + k * 90), panel.Height() + 40);
}

void FillPatterns(const Panel& panel) {
    BeginPanel(panel, "Fill patterns");
    // The user pattern: a small diamond.
    static const std::uint8_t diamond[8] = {0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0x7E, 0x3C, 0x18};
    const std::int16_t columns = 5;
    const std::int16_t cellWidth = static_cast<std::int16_t>((panel.Width() - 32) / columns);
    for (std::uint16_t pattern = 0; pattern < Graph::FillPatternCount; ++pattern) {
        std::int16_t x = static_cast<std::int16_t>(16 + (pattern % columns) * cellWidth);
        std::int16_t y = static_cast<std::int16_t>(48 + (pattern / columns) * 120);
        Graph::SetColor(Yellow);
        Text(x, y, "pattern " + std::to_string(pattern));
        const auto color = static_cast<std::uint16_t>(1 + pattern);
        if (pattern == Graph::UserFill)
            Graph::SetFillPattern(diamond, color);
        else
            Graph::SetFillStyle(pattern, color);
        Graph::Bar(x, static_cast<std::int16_t>(y + 16),
                   static_cast<std::int16_t>(x + cellWidth - 24),
                   static_cast<std::int16_t>(y + 95));
        Graph::SetColor(LightGray);
        Graph::Rectangle(x, static_cast<std::int16_t>(y + 16),
                         static_cast<std::int16_t>(x + cellWidth - 24),
                         static_cast<std::int16_t>(y + 95));
    }
}

void Curves(const Panel& panel) {
    BeginPanel(panel, "Circles, arcs, ellipses");
    Graph::SetColor(White);
    std::int16_t x = 40;
    for (std::uint16_t radius : {0, 1, 2, 5, 10, 20, 40, 70}) {
        x = static_cast<std::int16_t>(x + radius + 12);
        Graph::Circle(x, 140, radius);
        x = static_cast<std::int16_t>(x + radius);
    }
    // The four quarter arcs, each in its own colour, then an arc that runs
    // across 0 degrees and one given with its angles exchanged.
    for (std::uint16_t quarter = 0; quarter < 4; ++quarter) {
        Graph::SetColor(static_cast<std::uint16_t>(9 + quarter));
        Graph::Arc(90, 330, static_cast<std::uint16_t>(quarter * 90),
                   static_cast<std::uint16_t>(quarter * 90 + 90), 60);
    }
    Graph::SetColor(Yellow);
    Graph::Ellipse(240, 330, 300, 420, 60, 40);
    Graph::SetColor(LightCyan);
    Graph::Ellipse(380, 330, 270, 45, 40, 60);
    // Thick outlines, and filled ellipses whose inside rows come back through
    // the fill callback.
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessThick);
    for (std::uint16_t k = 0; k < 3; ++k) {
        Graph::SetColor(static_cast<std::uint16_t>(2 + k));
        Graph::Ellipse(static_cast<std::int16_t>(520 + k * 10), 330, 0, 360,
                       static_cast<std::uint16_t>(90 - k * 25),
                       static_cast<std::uint16_t>(30 + k * 15));
    }
    Graph::SetLineStyle(Graph::LineStyleSolid, 0, Graph::ThicknessNormal);
    for (std::uint16_t k = 0; k < 3; ++k) {
        Graph::SetFillStyle(static_cast<std::uint16_t>(1 + k * 4),
                            static_cast<std::uint16_t>(12 + k));
        Graph::SetColor(static_cast<std::uint16_t>(12 + k));
        Graph::FillEllipse(static_cast<std::int16_t>(100 + k * 170), 450, 70, 36);
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
            Graph::SetColor(12);
            Graph::Line(static_cast<std::int16_t>(x - 6), y, static_cast<std::int16_t>(x + 6), y);
            Graph::Line(x, static_cast<std::int16_t>(y - 6), x, static_cast<std::int16_t>(y + 6));
            BitmapText(1, 0, horizontal, vertical);
            Graph::SetColor(White);
            Text(x, y, "H" + std::to_string(horizontal) + "V" + std::to_string(vertical));
        }
    std::int16_t y = 200;
    for (std::uint16_t size = 1; size <= 4; ++size) {
        BitmapText(size, 0, 0, 2);
        Graph::SetColor(static_cast<std::uint16_t>(9 + size));
        Text(16, y, "Size " + std::to_string(size) + " \x01\x03\x0E\xB0\xB1\xB2\xDB\x82\xE1");
        y = static_cast<std::int16_t>(y + 8 * size + 8);
    }
    std::int16_t x = 16;
    for (std::uint16_t size = 1; size <= 4; ++size) {
        BitmapText(size, 1, 0, 0);
        Graph::SetColor(static_cast<std::uint16_t>(9 + size));
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
    Graph::SetColor(Yellow);
    Graph::Circle(static_cast<std::int16_t>(16 + size / 2),
                  static_cast<std::int16_t>(48 + size / 2), 24);
    Graph::SetColor(12);
    Graph::Line(16, 48, static_cast<std::int16_t>(16 + size), static_cast<std::int16_t>(48 + size));
    Graph::SetColor(White);
    Text(22, 76, "IMG");

    std::int32_t bytes = Graph::ImageSize(16, 48, static_cast<std::int16_t>(16 + size),
                                          static_cast<std::int16_t>(48 + size));
    std::string image(static_cast<std::size_t>(bytes), '\0');
    Graph::GetImage(16, 48, static_cast<std::int16_t>(16 + size),
                    static_cast<std::int16_t>(48 + size), image.data());

    static const std::array<const char*, 5> modes = {"copy", "xor", "or", "and", "not"};
    for (std::uint16_t mode = 0; mode < modes.size(); ++mode) {
        std::int16_t x = static_cast<std::int16_t>(16 + mode * 90);
        std::int16_t y = 200;
        for (std::int16_t stripe = 0; stripe < 8; ++stripe)
            FilledBox(x, static_cast<std::int16_t>(y + stripe * 10),
                      static_cast<std::int16_t>(x + 80),
                      static_cast<std::int16_t>(y + stripe * 10 + 4),
                      static_cast<std::uint16_t>(2 + stripe));
        Graph::PutImage(static_cast<std::int16_t>(x + 12), static_cast<std::int16_t>(y + 8),
                        image.data(), mode);
        Graph::SetColor(Yellow);
        Text(x, static_cast<std::int16_t>(y - 14), modes[mode]);
    }
    // Put partly outside the panel: clipped at its left and bottom edges.
    Graph::PutImage(-20, static_cast<std::int16_t>(panel.Height() - 30), image.data(), 0);
}

void Colours(const Panel& panel) {
    BeginPanel(panel, "Colours");
    for (std::uint16_t color = 0; color < 16; ++color) {
        std::int16_t x = static_cast<std::int16_t>(16 + (color % 8) * 56);
        std::int16_t y = static_cast<std::int16_t>(48 + (color / 8) * 60);
        FilledBox(x, y, static_cast<std::int16_t>(x + 48), static_cast<std::int16_t>(y + 32),
                  color);
        Graph::SetColor(LightGray);
        Graph::Rectangle(x, y, static_cast<std::int16_t>(x + 48),
                         static_cast<std::int16_t>(y + 32));
        Graph::SetColor(White);
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

// Both drawn fonts at sizes 1 to 4, text that advances the current position,
// and upward text.
void StrokedText(const Panel& panel) {
    BeginPanel(panel, "Stroked fonts");
    std::int16_t y = 56;
    for (std::uint16_t font : {Graph::LineFont, Graph::SerifFont}) {
        for (std::uint16_t size = 1; size <= 4; ++size) {
            Graph::SetTextStyle(font, Graph::HorizDir, size);
            Graph::SetTextJustify(Graph::LeftText, Graph::BottomText);
            y = static_cast<std::int16_t>(y + Graph::TextHeight("A") + 4);
            Graph::SetColor(static_cast<std::uint16_t>(9 + size));
            Text(16, y,
                 size < 3 ? "The quick brown fox jumps over 13 lazy dogs."
                          : "Stroke \x8E\x99\x82\x87");
        }
        y = static_cast<std::int16_t>(y + 12);
    }
    // Pieces set one after another from the current position.
    Graph::SetTextStyle(Graph::SerifFont, Graph::HorizDir, 2);
    Graph::MoveTo(16, static_cast<std::int16_t>(y + 16));
    for (std::uint16_t k = 0; k < 4; ++k) {
        Graph::SetColor(static_cast<std::uint16_t>(11 + k));
        Graph::OutText(ShortString(std::string("word") + std::to_string(k) + " "));
    }
    for (std::uint16_t font : {Graph::LineFont, Graph::SerifFont}) {
        Graph::SetTextStyle(font, Graph::VertDir, 2);
        Graph::SetTextJustify(Graph::LeftText, Graph::BottomText);
        Graph::SetColor(Yellow);
        Text(static_cast<std::int16_t>(panel.Width() - 70 + (font - 1) * 30),
             static_cast<std::int16_t>(panel.Height() - 8), "Upwards 0123");
    }
}

// Polygons, bars and slices, and a flood fill inside an outline.
void Shapes(const Panel& panel) {
    BeginPanel(panel, "Polygons, bars, slices");
    // A star, filled by the even-odd rule, so its centre stays open.
    static const Graph::PointType star[] = {{60, 50}, {84, 130}, {20, 80}, {100, 80}, {36, 130}};
    Graph::SetFillStyle(Graph::SolidFill, 12);
    Graph::SetColor(White);
    Graph::FillPoly(star);
    // Two triangles that share an edge, in a pattern each.
    static const Graph::PointType left[] = {{130, 50}, {230, 50}, {130, 130}};
    static const Graph::PointType right[] = {{230, 50}, {230, 130}, {130, 130}};
    Graph::SetFillStyle(3, 10);
    Graph::FillPoly(left);
    Graph::SetFillStyle(9, 14);
    Graph::FillPoly(right);
    // Bars of a chart, plain and three-dimensional.
    for (std::uint16_t k = 0; k < 5; ++k) {
        const auto x = static_cast<std::int16_t>(20 + k * 44);
        const auto top = static_cast<std::int16_t>(300 - 25 * (k + 1));
        Graph::SetFillStyle(static_cast<std::uint16_t>(1 + k), static_cast<std::uint16_t>(9 + k));
        if (k % 2 == 0)
            Graph::Bar3D(x, top, static_cast<std::int16_t>(x + 28), 300, 10, true);
        else
            Graph::Bar(x, top, static_cast<std::int16_t>(x + 28), 300);
    }
    // A pie of four slices and an elliptic sector.
    static const std::uint16_t edges[] = {0, 60, 150, 250, 360};
    for (std::uint16_t k = 0; k < 4; ++k) {
        Graph::SetFillStyle(Graph::SolidFill, static_cast<std::uint16_t>(2 + k));
        Graph::PieSlice(330, 110, edges[k], edges[k + 1], 70);
    }
    Graph::SetFillStyle(Graph::CloseDotFill, 13);
    Graph::Sector(360, 260, 30, 300, 90, 45);
    // An outline of a box and a circle, flooded from inside the box.
    Graph::SetColor(LightCyan);
    Graph::Rectangle(20, 340, 200, 460);
    Graph::Circle(110, 400, 40);
    Graph::SetFillStyle(Graph::SolidFill, 1);
    Graph::FloodFill(30, 350, LightCyan);
}

} // namespace

void DrawShowcase() {
    StateSaver saver;
    const std::int16_t width = static_cast<std::int16_t>(Graph::GetMaxX() + 1);
    const std::int16_t height = static_cast<std::int16_t>(Graph::GetMaxY() + 1);
    const std::int16_t columnWidth = static_cast<std::int16_t>(width / 4);
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
    StrokedText(panelAt(3, 0));
    Shapes(panelAt(3, 1));
}

} // namespace Showcase
