// The explorer's view and its input. The diagram fills the screen below a
// header line; screen column c shows r = RMin + (RMax − RMin)·c / (width − 1)
// and row y the iterate x = XMax − (XMax − XMin)·(y − top) / (height − 1).
#include "examples/Explorer.h"

#include "graph/Graph.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace Explorer {

std::vector<Range> History;
Range Current = WholeMap;

namespace {

constexpr std::int16_t HeaderHeight = 40;
constexpr std::int32_t SettlingIterations = 300;
constexpr std::int32_t PlottedIterations = 200;
constexpr std::uint16_t DiagramColor = 15;
constexpr std::uint16_t HeaderColor = 14;
// A drag smaller than this, either way, is a click and zooms nowhere.
constexpr int LeastDrag = 3;

std::int16_t Top() {
    return HeaderHeight;
}

int Columns() {
    return Graph::GetMaxX() + 1;
}

int Rows() {
    return Graph::GetMaxY() + 1 - HeaderHeight;
}

long double RAt(int column) {
    return Current.RMin + (Current.RMax - Current.RMin) * column / (Columns() - 1);
}

long double XAt(int y) {
    return Current.XMax - (Current.XMax - Current.XMin) * (y - Top()) / (Rows() - 1);
}

void DrawHeader() {
    Graph::SetFillStyle(Graph::SolidFill, 0);
    Graph::Bar(0, 0, Graph::GetMaxX(), HeaderHeight - 1);
    char text[160];
    std::snprintf(text, sizeof text,
                  "r %.9Lf .. %.9Lf    x %.9Lf .. %.9Lf    (drag: zoom, "
                  "Backspace: back, Esc: end)",
                  Current.RMin, Current.RMax, Current.XMin, Current.XMax);
    Graph::SetTextStyle(Graph::LineFont, Graph::HorizDir, 2);
    Graph::SetTextJustify(Graph::LeftText, Graph::BottomText);
    Graph::SetColor(HeaderColor);
    Graph::OutTextXY(8, HeaderHeight - 12, Graph::ShortString(text));
}

// Each column is drawn as soon as it is computed, so the picture grows from
// the left while the sweep runs.
void Sweep() {
    Graph::SetFillStyle(Graph::SolidFill, 0);
    Graph::Bar(0, Top(), Graph::GetMaxX(), Graph::GetMaxY());
    const long double rowsPerUnit = (Rows() - 1) / (Current.XMax - Current.XMin);
    for (int column = 0; column < Columns(); ++column) {
        const long double r = RAt(column);
        long double x = 0.5L;
        for (int i = 0; i < SettlingIterations; ++i)
            x = r * x * (1 - x);
        for (int i = 0; i < PlottedIterations; ++i) {
            x = r * x * (1 - x);
            const long double row = (Current.XMax - x) * rowsPerUnit;
            if (row >= 0 && row <= Rows() - 1)
                Graph::PutPixel(static_cast<std::int16_t>(column),
                                static_cast<std::int16_t>(Top() + static_cast<int>(row + 0.5L)),
                                DiagramColor);
        }
    }
}

void Show() {
    DrawHeader();
    Sweep();
}

// The range under the rectangle from (x1, y1) to (x2, y2), corners in either
// order, cut to the diagram.
void ZoomTo(int x1, int y1, int x2, int y2) {
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    x1 = std::max(x1, 0);
    x2 = std::min(x2, Columns() - 1);
    y1 = std::max<int>(y1, Top());
    y2 = std::min<int>(y2, Graph::GetMaxY());
    if (x2 - x1 < LeastDrag || y2 - y1 < LeastDrag)
        return;
    History.push_back(Current);
    Current = {RAt(x1), RAt(x2), XAt(y2), XAt(y1)};
    Show();
}

bool pressed = false;
int pressX = 0, pressY = 0;

} // namespace

void Begin() {
    Graph::InstallGraphInput();
    History.clear();
    Current = WholeMap;
    pressed = false;
    Show();
}

bool Step() {
    Graph::WaitForGraphInput(100);
    if (Graph::GraphWindowClosed())
        return false;
    while (Graph::GraphKeyPressed()) {
        const char key = Graph::GraphReadKey();
        if (key == '\x1B')
            return false;
        if (key == '\0')
            Graph::GraphReadKey(); // special keys do nothing here
        else if (key == '\b' && !History.empty()) {
            Current = History.back();
            History.pop_back();
            Show();
        }
    }
    for (Graph::MouseEventType event; Graph::GetMouseEvent(event);) {
        if (event.Down && event.Buttons == Graph::LeftButton) {
            pressed = true;
            pressX = event.X;
            pressY = event.Y;
        } else if (!event.Down && pressed && (event.Buttons & Graph::LeftButton) == 0) {
            pressed = false;
            ZoomTo(pressX, pressY, event.X, event.Y);
        }
    }
    return true;
}

void Run() {
    Begin();
    while (Step()) {
    }
}

} // namespace Explorer
