// The display driver's entry points, as the program hands them to the kernel.
// The kernel links no driver of its own: the program binds one before the
// kernel starts (beside its module table), and a test binds one of its own or
// none. Without a driver the kernel offers no modes, and closing graphics has
// nothing of the driver's to end.
#pragma once

namespace Graph {

struct DisplayDriver {
    // At start-up: points SaveVideoState and RestoreVideoState at the
    // driver's operations and registers the driver's modes with AddMode.
    void (*QueryAdapterInfo)() = nullptr;
    // The driver's part of CloseGraph: ends whatever the mode set up and
    // returns when it is gone.
    void (*CloseDriver)() = nullptr;
};

// Binds the driver whose modes the next InitializeGraph registers and whose
// CloseDriver CloseGraph calls; an empty record unbinds it.
void BindDisplayDriver(const DisplayDriver& driver);

// The driver bound now (empty entries when none is).
const DisplayDriver& BoundDisplayDriver();

} // namespace Graph
