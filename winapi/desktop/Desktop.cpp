// The one place that chooses where windows are shown, and that connects the
// chosen desktop to user32's events.
//
// The environment chooses, once, at the first use:
//   WINAPI_DESKTOP  "headless" shows windows on a virtual 1920 × 1080 screen
//                   in memory, which needs no display at all; anything else,
//                   or nothing, the SDL desktop on the real display.
//   WINAPI_PICTURE  a PNG file's path: each top-level window's last picture
//                   is saved there when the window goes (PictureDesktop.h),
//                   on either desktop.
// A test may select a desktop of its own before the first use instead.
//
// Desktops are never destroyed. Threads that outlive main (a message thread
// at process end) may still call the desktop in use, and a thread that ends
// after a test selected a new desktop may still tell the old one that its
// windows are gone; so a replaced desktop is kept, not freed.
#include "desktop/Desktop.h"

#include "desktop/PictureDesktop.h"
#include "desktop/headless/HeadlessDesktop.h"
#include "desktop/sdl/SdlDesktop.h"
#include "user/DesktopEvents.h"

#include <cstdlib>
#include <mutex>
#include <string_view>
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

std::unique_ptr<Desktop> DesktopFromEnvironment() {
    DesktopEvents& events = UserDesktopEvents();
    const char* chosen = std::getenv("WINAPI_DESKTOP");
    std::unique_ptr<Desktop> desktop;
    if (chosen && std::string_view(chosen) == "headless") {
        auto headless = std::make_unique<HeadlessDesktop>();
        headless->ShowMessageBoxesOnStandardError();
        headless->Connect(events);
        desktop = std::move(headless);
    } else {
        desktop = MakeSdlDesktop(events);
    }
    const char* picture = std::getenv("WINAPI_PICTURE");
    if (picture && *picture)
        desktop = MakePictureDesktop(std::move(desktop), events, picture);
    return desktop;
}

} // namespace

Desktop& CurrentDesktop() {
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (!selection.Current)
        selection.Current = DesktopFromEnvironment().release();
    return *selection.Current;
}

void SelectDesktop(std::unique_ptr<Desktop> desktop) {
    if (!desktop->Connected())
        desktop->Connect(UserDesktopEvents());
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (selection.Current)
        selection.Replaced.push_back(selection.Current);
    selection.Current = desktop.release();
}

} // namespace WinApi
