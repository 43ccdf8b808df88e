// The graphics kernel's interface for programs: state, operation table, modes,
// viewport, lines, curves, text, images and fonts, and the operations on them
// that programs call: state, shapes, fills and input from the graph window.
#pragma once

#include "graph/DefaultFont.h"
#include "graph/DefaultPalette.h"
#include "graph/Ellipses.h"
#include "graph/Fonts.h"
#include "graph/GraphMode.h"
#include "graph/GraphState.h"
#include "graph/Images.h"
#include "graph/Input.h"
#include "graph/Lines.h"
#include "graph/ModeRegistry.h"
#include "graph/OperationTable.h"
#include "graph/Runs.h"
#include "graph/Settings.h"
#include "graph/Shapes.h"
#include "graph/Startup.h"
#include "graph/Strokes.h"
#include "graph/Text.h"
#include "graph/ViewPort.h"
