// The program image: its module table and its entry point.
#include "crt/Crt.h"
#include "graph/Startup.h"
#include "graph/win32gui/Win32Gui.h"
#include "plotter/Bifurcation.h"
#include "runtime/Lifecycle.h"

int main() {
    // Entries 0 to 2 are the runtime's own. The console terminal comes before
    // the graphics kernel, so that a program without a console stops before
    // any window opens. The kernel draws through the window driver.
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
    Runtime::InitFinal.Entries[4] = {Graph::InitializeGraph, nullptr};
    Runtime::ExeEntry(Bifurcation::ProgramMain);
}
