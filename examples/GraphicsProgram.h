// How the examples start: the plotter's module table (the runtime's units,
// the console terminal, then the graphics kernel drawing through the window
// driver), the graph window opened as the plotter opens it, and a clear
// message with exit code 1 when no window can be had.
#pragma once

namespace Examples {

// Runs programMain as the program, with the graph window open; ends the
// program when programMain returns. Does not return.
[[noreturn]] void RunGraphicsProgram(void (*programMain)());

} // namespace Examples
