// The SDL desktop as user32 sees it. It starts its desktop thread on first
// use; when SDL cannot start (no display) it stays unavailable for good:
// windows cannot be created, and message boxes go to standard error, so that
// a program without a display still says why it ends.
#include "desktop/sdl/SdlDesktop.h"

#include "desktop/sdl/SdlDesktopThread.h"
#include "desktop/sdl/SdlEventSink.h"
#include "user/DesktopEvents.h"

#include <cstdio>
#include <mutex>

namespace WinApi {
namespace {

class UserEventSink : public SdlEventSink {
public:
    void CloseRequest(HWND window) override { DesktopCloseRequest(window); }
    void Resized(HWND window, int clientWidth, int clientHeight) override {
        DesktopResized(window, clientWidth, clientHeight);
    }
    void Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
             bool alt) override {
        DesktopKey(window, down, virtualKey, scanCode, extended, alt);
    }
    void Char(HWND window, BYTE character, WORD scanCode, bool alt) override {
        DesktopChar(window, character, scanCode, alt);
    }
    void MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                     WPARAM keyState) override {
        DesktopMouseButton(window, button, down, doubleClick, x, y, keyState);
    }
};

void WriteToStandardError(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

class SdlDesktop : public Desktop {
public:
    explicit SdlDesktop(std::unique_ptr<SdlEventSink> events)
        : Events(std::move(events)), Thread(*Events) {}

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

    std::unique_ptr<SdlEventSink> Events;
    std::once_flag StartOnce;
    bool Running = false;
    // Declared last: it ends, with its windows, before the sink it reports to.
    SdlDesktopThread Thread;
};

} // namespace

std::unique_ptr<SdlEventSink> MakeUserEventSink() {
    return std::make_unique<UserEventSink>();
}

std::unique_ptr<Desktop> MakeSdlDesktop(std::unique_ptr<SdlEventSink> events) {
    return std::make_unique<SdlDesktop>(std::move(events));
}

std::unique_ptr<Desktop> MakeSdlDesktop() {
    return MakeSdlDesktop(MakeUserEventSink());
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
