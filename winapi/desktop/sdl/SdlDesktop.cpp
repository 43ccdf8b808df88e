// The SDL desktop as user32 sees it. It starts its desktop thread on first
// use; when SDL cannot start (no display) it stays unavailable for good:
// windows cannot be created, and message boxes go to standard error, so that
// a program without a display still says why it ends.
#include "desktop/sdl/SdlDesktop.h"

#include "desktop/sdl/SdlDesktopThread.h"

#include <cstdio>
#include <mutex>

namespace WinApi {
namespace {

void WriteToStandardError(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

class SdlDesktop : public Desktop {
public:
    explicit SdlDesktop(DesktopEvents& events) : Thread(events) { Connect(events); }

    bool Available() override { return Started(); }

    ScreenInfo Screen() override { return Started() ? Thread.Screen() : ScreenInfo{}; }

    bool AddWindow(HWND window, const WindowInfo& info,
                   std::shared_ptr<ClientSurface> surface) override {
        return Started() && Thread.AddWindow(window, info, std::move(surface));
    }

    void ShowWindow(HWND window, bool visible) override {
        if (Started())
            Thread.ShowWindow(window, visible);
    }

    void WindowChanged(HWND window, const WindowInfo& info) override {
        if (Started())
            Thread.WindowChanged(window, info);
    }

    void RemoveWindow(HWND window) override {
        if (Started())
            Thread.RemoveWindow(window);
    }

    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        if (Started()) {
            int pressed = Thread.MessageBox(owner, text ? text : "", caption ? caption : "", type);
            if (pressed != 0)
                return pressed;
        }
        WriteToStandardError(caption, text);
        return IDOK;
    }

private:
    bool Started() {
        std::call_once(StartOnce, [this] { Running = Thread.Start(); });
        return Running;
    }

    std::once_flag StartOnce;
    bool Running = false;
    SdlDesktopThread Thread;
};

} // namespace

std::unique_ptr<Desktop> MakeSdlDesktop(DesktopEvents& events) {
    return std::make_unique<SdlDesktop>(events);
}

} // namespace WinApi

#if defined(__SANITIZE_ADDRESS__)
// LeakSanitizer's built-in suppressions for every program with this desktop.
// SDL starts libdbus (for input methods), which keeps an allocation of its own
// until dbus_shutdown(), and SDL 2.26 never calls that: a leak inside the
// library, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif
