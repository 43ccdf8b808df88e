// The explorer program: opens graphics as the plotter does and explores the
// map in the graph window until Esc or the window's close box.
#include "crt/Crt.h"
#include "examples/Explorer.h"
#include "examples/OpenGraphics.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "runtime/Lifecycle.h"

namespace {

void ExplorerMain() {
    Examples::OpenGraphicsOrHalt();
    Explorer::Run();
    Runtime::DoExit();
}

} // namespace

int main() {
    // The program's module table, as in the plotter: the kernel draws
    // through the window driver.
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
    Runtime::InitFinal.Entries[4] = {Graph::InitializeGraph, nullptr};
    Runtime::ExeEntry(ExplorerMain);
}
