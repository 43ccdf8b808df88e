// The kernel's start-up and the reset of its mode state. Start-up asks the
// display driver the program bound (DisplayDriver.h) for its modes.
#pragma once

#include "graph/DisplayDriver.h"

namespace Graph {

// Resets the mode and device state and installs the defaults; first step of
// every InitGraph.
void InitVars();

// The kernel's start-of-process initialisation: module table entry of the
// graphics kernel.
void InitializeGraph();

} // namespace Graph
