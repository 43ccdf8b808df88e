// The showcase program: draws the showcase in the graph window and waits for
// Enter on the console.
#include "examples/GraphicsProgram.h"
#include "examples/Showcase.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace {

void ShowcaseMain() {
    Showcase::DrawShowcase();
    Runtime::WriteLn(Runtime::Output, "Showcase drawn. Press Enter to end.");
    Runtime::IOCheck();
    Runtime::ReadLn(Runtime::Input);
    Runtime::IOCheck();
}

} // namespace

int main() {
    Examples::RunGraphicsProgram(ShowcaseMain);
}
