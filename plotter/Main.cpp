// The program image: its module table and its entry point.
#include "graph/OperationTable.h"
#include "plotter/Bifurcation.h"
#include "runtime/Lifecycle.h"

int main() {
    // Entries 0 to 2 are the runtime's own. FIXME: entry 3, the console
    // terminal, joins once the console device exists.
    Runtime::InitFinal.Entries[4] = {Graph::InitializeGraph, nullptr};
    Runtime::ExeEntry(Bifurcation::ProgramMain);
}
