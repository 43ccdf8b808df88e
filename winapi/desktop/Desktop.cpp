// The one place that chooses where windows are shown: the SDL desktop,
// unless a test selected another before the first use.
//
// Desktops are never destroyed. Threads that outlive main (a message thread
// at process end) may still call the desktop in use, and a thread that ends
// after a test selected a new desktop may still tell the old one that its
// windows are gone; so a replaced desktop is kept, not freed.
#include "desktop/Desktop.h"

#include "desktop/sdl/SdlDesktop.h"

#include <mutex>
#include <vector>

namespace WinApi {
namespace {

struct Selection {
    std::mutex Lock;
    Desktop* Current = nullptr;
    std::vector<Desktop*> Replaced;
};

Selection& TheSelection() {
    static Selection* selection = new Selection;
    return *selection;
}

} // namespace

Desktop& CurrentDesktop() {
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (!selection.Current)
        selection.Current = MakeSdlDesktop().release();
    return *selection.Current;
}

void SelectDesktop(std::unique_ptr<Desktop> desktop) {
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (selection.Current)
        selection.Replaced.push_back(selection.Current);
    selection.Current = desktop.release();
}

} // namespace WinApi
