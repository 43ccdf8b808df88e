#include "examples/GraphicsProgram.h"

#include "crt/Crt.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace Examples {
namespace {

// ExeEntry takes a plain function: the example's own part waits here.
void (*ProgramMain)() = nullptr;

void MainWithGraphics() {
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
    ProgramMain();
    Runtime::DoExit();
}

} // namespace

void RunGraphicsProgram(void (*programMain)()) {
    ProgramMain = programMain;
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
    Runtime::InitFinal.Entries[4] = {Graph::InitializeGraph, nullptr};
    Runtime::ExeEntry(MainWithGraphics);
}

} // namespace Examples
