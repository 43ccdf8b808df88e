// How the examples open graphics: as the plotter does, the driver and mode
// detected, and a clear message with exit code 1 when no window can be had.
#pragma once

namespace Examples {

// Starts the runtime's console units and opens the graph window; halts the
// program when it cannot be opened.
void OpenGraphicsOrHalt();

} // namespace Examples
