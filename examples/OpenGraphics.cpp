#include "examples/OpenGraphics.h"

#include "graph/Graph.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace Examples {

void OpenGraphicsOrHalt() {
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
}

} // namespace Examples
