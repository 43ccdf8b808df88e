// The explorer: the bifurcation diagram of the logistic map x <- r·x·(1 − x),
// interactive in the graph window. Dragging a rectangle with the left button
// zooms into it (the sweep is recomputed for that range, column by column, in
// extended arithmetic), Backspace steps back to the range before, Esc or
// closing the window ends. The range in view is written in stroked text
// above the diagram. It draws and reads input only through the library's
// public operations.
#pragma once

#include <vector>

namespace Explorer {

// A range of the growth rate r (across) and of the iterate x (upwards).
struct Range {
    long double RMin, RMax, XMin, XMax;
    bool operator==(const Range&) const = default;
};

constexpr Range WholeMap{1.0L, 4.0L, 0.0L, 1.0L};

// The ranges zoomed out of, the oldest first, and the range in view.
extern std::vector<Range> History;
extern Range Current;

// Shows the whole map; graphics must be open.
void Begin();

// Waits for one piece of input and acts on it; false once the program is to
// end (Esc or the window closed).
bool Step();

// Begin, then Step until the end.
void Run();

} // namespace Explorer
