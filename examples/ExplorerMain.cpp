// The explorer program: opens graphics as the plotter does and explores the
// map in the graph window until Esc or the window's close box.
#include "crt/Crt.h"
#include "examples/Explorer.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace {

void ExplorerMain() {
    Runtime::IsConsole = true;
    Runtime::InitializeUnits();
    std::int16_t driver = 0;
    std::int16_t mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    if (Graph::GraphResult != Graph::GraphOk) {
        Runtime::WriteLn(Runtime::StdErr, "The graph window could not be opened.");
        Runtime::Halt(1);
    }
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
