// What the kernel asks of the display driver linked into the program. The
// driver provides these two functions; a test program links a driver of its
// own instead.
#pragma once

namespace Graph {

// At start-up: points SaveVideoState and RestoreVideoState at the driver's
// operations and registers the driver's modes with AddMode.
void QueryAdapterInfo();

// The driver's part of CloseGraph: ends whatever the mode set up and returns
// when it is gone.
void CloseDriver();

} // namespace Graph
