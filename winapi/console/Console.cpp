// The one place that chooses where the console lives: the process's
// terminal, unless a test selected another console before the first use.
//
// Consoles are never destroyed: handles opened on a console keep naming it
// after a test selected a new one, and may still be used.
#include "console/ConsoleHost.h"
#include "console/ConsoleObjects.h"
#include "console/tty/TtyConsole.h"

#include <mutex>
#include <vector>

namespace WinApi {
namespace {

struct Selection {
    std::mutex Lock;
    ConsoleHost* Current = nullptr;
    std::vector<ConsoleHost*> Replaced;
};

Selection& TheSelection() {
    static Selection* selection = new Selection;
    return *selection;
}

} // namespace

ConsoleHost& CurrentConsole() {
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (!selection.Current)
        selection.Current = MakeTtyConsole().release();
    return *selection.Current;
}

void SelectConsole(std::unique_ptr<ConsoleHost> console) {
    Selection& selection = TheSelection();
    std::lock_guard guard(selection.Lock);
    if (selection.Current)
        selection.Replaced.push_back(selection.Current);
    selection.Current = console.release();
}

HANDLE NewConsoleHandle(ConsoleHost& host, bool input) {
    if (input)
        return InsertHandle(std::make_shared<ConsoleInputObject>(host));
    return InsertHandle(std::make_shared<ConsoleOutputObject>(host));
}

HANDLE OpenConsoleDevice(bool input) {
    ConsoleHost& host = CurrentConsole();
    DWORD error = host.OpenDevice();
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return NewConsoleHandle(host, input);
}

} // namespace WinApi
