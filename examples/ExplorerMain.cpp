// The explorer program: explores the map in the graph window until Esc or
// the window's close box.
#include "examples/Explorer.h"
#include "examples/GraphicsProgram.h"

int main() {
    Examples::RunGraphicsProgram(Explorer::Run);
}
