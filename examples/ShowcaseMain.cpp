// The showcase program: opens graphics as the plotter does, draws the
// showcase, and waits for Enter on the console.
#include "crt/Crt.h"
#include "examples/OpenGraphics.h"
#include "examples/Showcase.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace {

void ShowcaseMain() {
    Examples::OpenGraphicsOrHalt();
    Showcase::DrawShowcase();
    Runtime::WriteLn(Runtime::Output, "Showcase drawn. Press Enter to end.");
    Runtime::IOCheck();
    Runtime::ReadLn(Runtime::Input);
    Runtime::IOCheck();
    Runtime::DoExit();
}

} // namespace

int main() {
    // The program's module table: the runtime's own three, then the console
    // terminal and the graphics kernel with the window driver, as in the
    // plotter.
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
    Runtime::InitFinal.Entries[4] = {Graph::InitializeGraph, nullptr};
    Runtime::ExeEntry(ShowcaseMain);
}
