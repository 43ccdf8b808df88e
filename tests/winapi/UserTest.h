// What the user32 and headless desktop tests share: a fresh headless desktop
// for every test, and windows owned by real threads that run a message loop,
// as the window driver's message thread does.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace UserTest {

// Generous: only a broken layer makes a test wait this long.
constexpr auto Patience = std::chrono::seconds(20);

struct Message {
    HWND Window = nullptr;
    UINT Id = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};

// Every message a window procedure received, in order. Filled on the
// window's thread, read by the test.
class MessageLog {
public:
    void Add(const Message& message) {
        {
            std::lock_guard guard(Lock);
            Entries.push_back(message);
        }
        Changed.notify_all();
    }
    std::vector<Message> All() {
        std::lock_guard guard(Lock);
        return Entries;
    }
    std::vector<Message> Only(UINT id) {
        std::vector<Message> found;
        for (const Message& m : All())
            if (m.Id == id)
                found.push_back(m);
        return found;
    }
    std::vector<UINT> Ids() {
        std::vector<UINT> ids;
        for (const Message& m : All())
            ids.push_back(m.Id);
        return ids;
    }
    // Waits until at least count messages of this id have arrived.
    bool WaitFor(UINT id, size_t count = 1) {
        std::unique_lock guard(Lock);
        return Changed.wait_for(guard, Patience, [&] {
            size_t seen = 0;
            for (const Message& m : Entries)
                seen += m.Id == id ? 1 : 0;
            return seen >= count;
        });
    }

private:
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<Message> Entries;
};

inline std::string UniqueClassName() {
    static std::atomic<int> next{0};
    return "UserTestClass" + std::to_string(next++);
}

// A thread that creates one window and runs a message loop until WM_QUIT.
// The procedure logs every message, lets Handler answer it (no answer: the
// default procedure), and posts WM_QUIT on WM_DESTROY.
class WindowThread {
public:
    using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

    struct Options {
        DWORD Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        int X = CW_USEDEFAULT;
        int Y = 0;
        int Width = 648;
        int Height = 480 + 2 * 4 + 23;
        UINT ClassStyle = CS_HREDRAW | CS_VREDRAW;
        HBRUSH Background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        Handler OnMessage;
    };

    explicit WindowThread(Options options) : Settings(std::move(options)) {
        Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Thread = CreateThread(nullptr, 0, &WindowThread::Main, this, 0, &ThreadId);
        if (Thread)
            WaitForSingleObject(Ready, INFINITE);
    }
    WindowThread() : WindowThread(Options{}) {}
    ~WindowThread() {
        if (Thread) {
            if (IsWindow(Window))
                PostMessageA(Window, WM_CLOSE, 0, 0);
            WaitForSingleObject(Thread, 20000);
            CloseHandle(Thread);
        }
        CloseHandle(Ready);
    }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    // Runs work on the window's thread, between two messages, and waits.
    void Run(std::function<void()> work) {
        std::atomic<bool> done{false};
        Task task{std::move(work), &done};
        ASSERT_TRUE(PostMessageA(Window, RunMessage, 0, reinterpret_cast<LPARAM>(&task)));
        auto until = std::chrono::steady_clock::now() + Patience;
        while (!done && std::chrono::steady_clock::now() < until)
            Sleep(1);
        ASSERT_TRUE(done) << "the window thread did not run the work";
    }

    // Waits for the thread to leave its message loop; its exit code.
    std::optional<DWORD> WaitForExit() {
        if (WaitForSingleObject(Thread, 20000) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeThread(Thread, &code);
        return code;
    }

    Options Settings;
    HWND Window = nullptr;
    DWORD ThreadId = 0;
    DWORD CreateError = 0;
    MessageLog Log;

    // Not logged: the message that carries Run's work.
    static constexpr UINT RunMessage = WM_APP + 0x3FF;

private:
    struct Task {
        std::function<void()> Work;
        std::atomic<bool>* Done;
    };

    static thread_local WindowThread* Current;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        WindowThread* self = Current;
        if (message == RunMessage) {
            auto* task = reinterpret_cast<Task*>(lParam);
            task->Work();
            *task->Done = true;
            return 0;
        }
        self->Log.Add({window, message, wParam, lParam});
        if (self->Settings.OnMessage)
            if (auto answer = self->Settings.OnMessage(window, message, wParam, lParam))
                return *answer;
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static DWORD WINAPI Main(LPVOID parameter) {
        auto* self = static_cast<WindowThread*>(parameter);
        Current = self;
        const std::string className = UniqueClassName();
        WNDCLASSA windowClass{};
        windowClass.style = self->Settings.ClassStyle;
        windowClass.lpfnWndProc = &WindowThread::Procedure;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = self->Settings.Background;
        windowClass.lpszClassName = className.c_str();
        if (!RegisterClassA(&windowClass)) {
            self->CreateError = GetLastError();
            SetEvent(self->Ready);
            return 1;
        }
        const Options& o = self->Settings;
        HWND window = CreateWindowExA(0, className.c_str(), "Test window", o.Style, o.X, o.Y,
                                      o.Width, o.Height, nullptr, nullptr, nullptr, nullptr);
        self->CreateError = GetLastError();
        self->Window = window;
        SetEvent(self->Ready);
        if (!window)
            return 1;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) == 1) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return static_cast<DWORD>(msg.wParam);
    }

    HANDLE Ready = nullptr;
    HANDLE Thread = nullptr;
};

inline thread_local WindowThread* WindowThread::Current = nullptr;

// Runs a test body on a thread of its own, which ends with it: its queue and
// windows go with it, so no test leaves state behind for the next.
inline void OnNewThread(std::function<void()> body) {
    auto routine = [](LPVOID parameter) -> DWORD {
        (*static_cast<std::function<void()>*>(parameter))();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, routine, &body, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
}

// A window procedure for windows that a test body pumps itself: it logs into
// the log that the body points it at and answers with the default procedure.
inline thread_local MessageLog* PumpedLog = nullptr;

inline LRESULT CALLBACK LoggingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (PumpedLog)
        PumpedLog->Add({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

inline std::string RegisterLoggingClass(UINT style = CS_HREDRAW | CS_VREDRAW) {
    const std::string name = UniqueClassName();
    WNDCLASSA windowClass{};
    windowClass.style = style;
    windowClass.lpfnWndProc = &LoggingProcedure;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    return name;
}

inline HWND CreateTestWindow(const std::string& className, DWORD style = WS_OVERLAPPEDWINDOW,
                             int width = 648, int height = 511) {
    return CreateWindowExA(0, className.c_str(), "Test", style, 10, 20, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

// Every test starts on a fresh default headless desktop.
class UserFixture : public ::testing::Test {
protected:
    void SetUp() override { Select(std::make_unique<WinApi::HeadlessDesktop>()); }
    void Select(std::unique_ptr<WinApi::HeadlessDesktop> desktop) {
        Desktop = desktop.get();
        WinApi::SelectDesktop(std::move(desktop));
    }
    WinApi::HeadlessDesktop* Desktop = nullptr;
};

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Describe(const RECT& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}";
}

} // namespace UserTest
