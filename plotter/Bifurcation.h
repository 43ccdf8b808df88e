// The bifurcation plotter: opens graphics in the best detected mode, sweeps
// the growth rate of the logistic map x <- r·x·(1 − x) across the screen,
// plots the settled iterates of each column, and waits for Enter.
//
// All arithmetic on μ, r and x is extended (80-bit x87, 64-bit mantissa) and
// in the order given: the scatter of the chaotic band depends on it.
#pragma once

#include <cstdint>

namespace Bifurcation {

// The program's six variables.
extern long double MU;   // the swept parameter μ
extern long double LNMU; // r = ln μ, the growth rate of the current column
extern long double X;    // the current iterate
extern long double YY;   // the unrounded row of the pixel to plot
extern std::int32_t XX;  // the screen column of the current μ
extern std::int32_t I;   // the iteration counter

// DetectGraph, then InitGraph with an empty driver path; the result is not
// looked at: a failure shows at the first pixel.
void OpenGraphics();

// Draws every column through the kernel's PutPixel slot.
void Sweep();

// The main program: initialises the units, opens graphics, sweeps, reads one
// line from Input, and ends through the runtime's exit.
void ProgramMain();

} // namespace Bifurcation
