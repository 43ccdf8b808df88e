// What the user32 and headless desktop tests share: a fresh headless desktop
// for every test, and windows owned by real threads that run a message loop,
// as the window driver's message thread does.
#pragma once

#include "desktop/headless/HeadlessDesktop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// Rectangles compare and print as their four edges in assertions.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace UserTest {

constexpr COLORREF White = RGB(255, 255, 255), Grey = RGB(128, 128, 128), Blue = RGB(0, 0, 255);

// A message as the window procedure received it.
using Seen = std::tuple<UINT, WPARAM, LPARAM>;

// Generous, in milliseconds: only a broken layer makes a test wait this long.
constexpr DWORD Patience = 20000;

// A thread that creates one window and runs a message loop until WM_QUIT. The
// procedure logs every message, lets OnMessage answer it (no answer: the
// default procedure), and posts WM_QUIT on WM_DESTROY.
class WindowThread {
public:
    struct Options {
        DWORD Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        int X = CW_USEDEFAULT, Y = 0, Width = 648, Height = 511; // a 640 x 480 client area
        HBRUSH Background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> OnMessage;
    };

    explicit WindowThread(Options options) : Settings(std::move(options)) {
        Thread = CreateThread(nullptr, 0, &WindowThread::Main, this, 0, nullptr);
        WaitForSingleObject(Ready, Patience);
    }
    WindowThread() : WindowThread(Options{}) {}
    ~WindowThread() {
        if (IsWindow(Window))
            PostMessageA(Window, WM_CLOSE, 0, 0);
        WaitForSingleObject(Thread, Patience);
        CloseHandle(Thread);
        CloseHandle(Ready);
    }

    // Runs work on the window's thread, between two messages, and waits. As
    // the work is posted, everything posted before it has been handled too.
    void Run(std::function<void()> work) {
        ASSERT_NE(Window, nullptr);
        Task task{std::move(work), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        ASSERT_TRUE(PostMessageA(Window, RunMessage, 0, reinterpret_cast<LPARAM>(&task)));
        ASSERT_EQ(WaitForSingleObject(task.Done, Patience), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(task.Done);
    }

    // The messages the procedure received whose ids lie in [first, last]
    // (only first's when last is 0), in order.
    std::vector<Seen> Logged(UINT first, UINT last = 0) {
        std::lock_guard guard(LogLock);
        std::vector<Seen> found;
        for (const Seen& m : Log)
            if (std::get<0>(m) == first || (std::get<0>(m) > first && std::get<0>(m) <= last))
                found.push_back(m);
        return found;
    }

    Options Settings;
    HWND Window = nullptr;
    HANDLE Thread = nullptr;
    // The WindowThread whose thread calls, on that thread only.
    static inline thread_local WindowThread* Current = nullptr;

private:
    // Carries Run's work; not logged.
    static constexpr UINT RunMessage = WM_APP + 0x3FF;
    struct Task {
        std::function<void()> Work;
        HANDLE Done;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == RunMessage) {
            auto* task = reinterpret_cast<Task*>(lParam);
            task->Work();
            SetEvent(task->Done);
            return 0;
        }
        {
            std::lock_guard guard(Current->LogLock);
            Current->Log.emplace_back(message, wParam, lParam);
        }
        if (Current->Settings.OnMessage)
            if (auto answer = Current->Settings.OnMessage(window, message, wParam, lParam))
                return *answer;
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static DWORD WINAPI Main(LPVOID parameter) {
        auto* self = static_cast<WindowThread*>(parameter);
        Current = self;
        static std::atomic<int> classes{0};
        const std::string name = "UserTestClass" + std::to_string(classes++);
        const Options& o = self->Settings;
        WNDCLASSA windowClass{};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hbrBackground = o.Background;
        windowClass.lpszClassName = name.c_str();
        RegisterClassA(&windowClass);
        self->Window = CreateWindowExA(0, name.c_str(), "Test window", o.Style, o.X, o.Y, o.Width,
                                       o.Height, nullptr, nullptr, nullptr, nullptr);
        SetEvent(self->Ready);
        MSG msg{};
        while (self->Window && GetMessageA(&msg, nullptr, 0, 0) == 1) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return static_cast<DWORD>(msg.wParam);
    }

    std::mutex LogLock;
    std::vector<Seen> Log;
    HANDLE Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// A window with a 100 x 80 client area at (100, 100): two 4-pixel frames
// across, two frames and a 23-pixel caption down.
inline WindowThread::Options SmallWindow() {
    return {.X = 100, .Y = 100, .Width = 108, .Height = 111, .OnMessage = nullptr};
}

// Fills the whole client area through a window device context.
inline void FillClient(HWND window, COLORREF color) {
    HDC dc = GetDC(window);
    HBRUSH brush = CreateSolidBrush(color);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_TRUE(FillRect(dc, &client, brush));
    DeleteObject(brush);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

// How many pixels of the 100 x 80 client area do not show inside within the
// area and outside elsewhere.
inline int Mismatches(WinApi::HeadlessDesktop& desktop, HWND window, const RECT& area,
                      COLORREF inside, COLORREF outside) {
    int count = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool in = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            count += desktop.ClientPixel(window, x, y) != (in ? inside : outside);
        }
    }
    return count;
}

// Every test starts on a fresh headless desktop of the default size.
class UserFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto desktop = std::make_unique<WinApi::HeadlessDesktop>();
        Desktop = desktop.get();
        WinApi::SelectDesktop(std::move(desktop));
    }
    WinApi::HeadlessDesktop* Desktop = nullptr;
};

} // namespace UserTest
