// user32 on a fresh headless desktop for every test, with windows owned by
// real threads that run a message loop, as the window driver's message thread
// does: window creation and geometry, maximised windows, destroying windows,
// message queues (posting order, synthesised WM_PAINT and WM_QUIT; waking a
// thread that waits for a message is what every WindowThread::Run relies
// on), painting (erasing with the class brush, paint device contexts clipped
// to the update rectangle), and the desktop acting as the user.
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
bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

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
WindowThread::Options SmallWindow() {
    return {.X = 100, .Y = 100, .Width = 108, .Height = 111, .OnMessage = nullptr};
}

// Fills the whole client area through a window device context.
void FillClient(HWND window, COLORREF color) {
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
int Mismatches(WinApi::HeadlessDesktop& desktop, HWND window, const RECT& area, COLORREF inside,
               COLORREF outside) {
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
class UserWindows : public ::testing::Test {
protected:
    void SetUp() override {
        auto desktop = std::make_unique<WinApi::HeadlessDesktop>();
        Desktop = desktop.get();
        WinApi::SelectDesktop(std::move(desktop));
    }
    WinApi::HeadlessDesktop* Desktop = nullptr;
};

TEST_F(UserWindows,
       CreateIsSentOnTheCreatingThreadBeforeCreateWindowReturnsAndTheClientIsWhatTheFramesLeave) {
    bool created = false;
    // Current is set on the creating thread only, and its Window once
    // CreateWindowExA has returned.
    WindowThread thread(
        {.X = 10,
         .Y = 20,
         .OnMessage = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
             if (message == WM_CREATE)
                 created = WindowThread::Current && !WindowThread::Current->Window;
             return std::nullopt;
         }});
    EXPECT_TRUE(created);
    // The client area is the outer size less 2 frames across, and 2 frames
    // and the caption down; the desktop shows it at its place on the screen.
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(thread.Window, &client));
    ASSERT_TRUE(GetWindowRect(thread.Window, &outer));
    EXPECT_EQ(client, (RECT{0, 0, 640, 480}));
    EXPECT_EQ(outer, (RECT{10, 20, 658, 531}));
    EXPECT_EQ(Desktop->Info(thread.Window).value().Client, (RECT{14, 47, 654, 527}));
    // Maximised, the frames hang over the work area and the caption stays on
    // it. (The metrics themselves are checked through the window driver's modes.)
    WindowThread maximised(
        {.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE, .OnMessage = nullptr});
    ASSERT_TRUE(GetClientRect(maximised.Window, &client));
    ASSERT_TRUE(GetWindowRect(maximised.Window, &outer));
    EXPECT_EQ(client, (RECT{0, 0, 1920, 1040 - 23}));
    EXPECT_EQ(outer, (RECT{-4, -4, 1920 + 4, 1040 + 4}));
    EXPECT_TRUE(Desktop->Info(maximised.Window).value().Maximized);
}

// Only the owning thread may destroy a window. The close box reaches the
// default procedure, whose DestroyWindow sends WM_DESTROY at once and drops
// what is queued for the window; the handle is then dead everywhere.
TEST_F(UserWindows, TheCloseBoxDestroysThroughTheDefaultProcedureAndTheHandleDies) {
    size_t destroys = 0;
    UINT next = 0;
    WindowThread::Options options;
    options.OnMessage = [&](HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_CLOSE)
            return std::nullopt;
        PostMessageA(window, WM_USER + 1, 0, 0);
        DefWindowProcA(window, message, wParam, lParam);
        destroys = WindowThread::Current->Logged(WM_DESTROY).size();
        MSG msg{};
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        next = msg.message;
        return 0;
    };
    WindowThread thread(options);
    const HWND window = thread.Window;
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(Desktop->Close(window));
    EXPECT_EQ(WaitForSingleObject(thread.Thread, Patience), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(destroys, 1u);
    EXPECT_EQ(next, static_cast<UINT>(WM_QUIT)); // posted on WM_DESTROY
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(Desktop->Info(window));
    EXPECT_TRUE(Desktop->Windows().empty());
    EXPECT_FALSE(Desktop->Close(window));
}

// The desktop covers and uncovers part of the window: what is uncovered is
// erased with the class brush and painted. BeginPaint erases only when asked,
// and its context draws only in the update rectangle.
TEST_F(UserWindows, UncoveredPartsAreErasedAndPaintedAndPaintContextsAreClipped) {
    RECT update{};
    WindowThread::Options options = SmallWindow();
    options.OnMessage = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_PAINT)
            GetUpdateRect(window, &update, FALSE);
        return std::nullopt;
    };
    options.Background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    WindowThread thread(options);
    const HWND w = thread.Window;
    const RECT area{10, 15, 40, 35}, other{20, 30, 50, 60}, everything{-10, -10, 200, 200};
    thread.Run([&] {
        UpdateWindow(w);
        ASSERT_TRUE(Desktop->Cover(w, area));
        FillClient(w, Blue);
    });
    // Drawing left the covered part, which shows the window in front, alone.
    const COLORREF covering = WinApi::ColorRefFromPixel(WinApi::HeadlessDesktop::CoveringPixel);
    EXPECT_EQ(Mismatches(*Desktop, w, area, covering, Blue), 0);
    thread.Run([&] {
        update = {};
        ASSERT_TRUE(Desktop->Uncover(w, area));
        // Paints at once if, and only if, the update region is not empty.
        UpdateWindow(w);
    });
    EXPECT_EQ(update, area);
    EXPECT_EQ(Mismatches(*Desktop, w, area, White, Blue), 0);
    thread.Run([&] {
        FillClient(w, Blue);
        const size_t erases = thread.Logged(WM_ERASEBKGND).size();
        PAINTSTRUCT paint{};
        InvalidateRect(w, &other, FALSE);
        BeginPaint(w, &paint);
        EndPaint(w, &paint);
        EXPECT_EQ(paint.rcPaint, other);
        EXPECT_EQ(thread.Logged(WM_ERASEBKGND).size(), erases);
        EXPECT_EQ(Mismatches(*Desktop, w, other, Blue, Blue), 0);
        InvalidateRect(w, &other, FALSE);
        HDC dc = BeginPaint(w, &paint);
        FillRect(dc, &everything, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(w, &paint);
        EXPECT_EQ(Mismatches(*Desktop, w, other, Grey, Blue), 0);
    });
}

// The next message on the calling thread's queue, taken off it unless told
// not to; 0 when there is none.
UINT Next(UINT remove = PM_REMOVE) {
    MSG msg{};
    return PeekMessageA(&msg, nullptr, 0, 0, remove) ? msg.message : 0;
}

// On the queue of a thread that owns one hidden window: with no update
// region, no WM_PAINT gets in the way until the test shows it.
TEST_F(UserWindows, PaintComesForAShownWindowWhileTheRegionLastsAndLikeQuitAfterPosts) {
    WindowThread::Options hidden;
    hidden.Style = WS_OVERLAPPEDWINDOW;
    WindowThread thread(hidden);
    thread.Run([&] {
        const HWND window = thread.Window;
        // Hidden, before it is first shown and after it is hidden again, it
        // has nothing to paint, however invalidated: no update rectangle, no
        // WM_PAINT from its queue or from UpdateWindow.
        RECT update;
        for (int show : {SW_HIDE, SW_SHOW}) {
            ShowWindow(window, show);
            ShowWindow(window, SW_HIDE);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
            EXPECT_EQ(Next(), 0u);
        }
        EXPECT_TRUE(thread.Logged(WM_PAINT).empty());
        ShowWindow(window, SW_SHOW); // a window that appears must be painted
        PostMessageA(window, WM_USER + 1, 0, 0);
        PostMessageA(window, WM_USER + 2, 0, 0);
        EXPECT_EQ(Next(PM_NOREMOVE), WM_USER + 1u);
        EXPECT_EQ(Next(), WM_USER + 1u);
        EXPECT_EQ(Next(), WM_USER + 2u);
        EXPECT_EQ(Next(), static_cast<UINT>(WM_PAINT));
        // Not validated: it comes again, but after anything posted meanwhile.
        PostMessageA(window, WM_USER + 3, 0, 0);
        EXPECT_EQ(Next(), WM_USER + 3u);
        EXPECT_EQ(Next(), static_cast<UINT>(WM_PAINT));
        // BeginPaint empties the region; an invalidation starts it again.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        EXPECT_EQ(Next(), 0u);
        InvalidateRect(window, nullptr, FALSE);
        EXPECT_EQ(Next(PM_NOREMOVE), static_cast<UINT>(WM_PAINT));
        ValidateRect(window, nullptr);
        EXPECT_EQ(Next(), 0u);
        // WM_QUIT waits, like WM_PAINT, until nothing posted is left.
        PostMessageA(window, WM_USER + 1, 0, 0);
        PostQuitMessage(7);
        PostMessageA(window, WM_USER + 2, 0, 0);
        PostMessageA(window, WM_USER + 1, 0, 0);
        EXPECT_EQ(Next(), WM_USER + 1u);
        EXPECT_EQ(Next(), WM_USER + 2u);
        EXPECT_EQ(Next(), WM_USER + 1u);
        MSG msg{};
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(std::pair(msg.message, msg.wParam), std::pair(UINT{WM_QUIT}, WPARAM{7}));
        EXPECT_EQ(Next(), 0u);
    });
}

TEST_F(UserWindows, KeysAndMouseButtonsArriveWithTheirParameters) {
    WindowThread thread({});
    const HWND w = thread.Window;
    Desktop->PressKey(w, 'A', 0x1E, 'a');
    Desktop->PressKey(w, 'X', 0x2D, 'x', false, true);
    Desktop->PressKey(w, VK_LEFT, 0x4B, 0, true, false);
    Desktop->Key(w, true, VK_SPACE, 0x39);
    Desktop->Key(w, true, VK_SPACE, 0x39);
    Desktop->Key(w, false, VK_SPACE, 0x39);
    Desktop->MouseButton(w, 1, true, 10, 20, MK_LBUTTON);
    Desktop->MouseButton(w, 1, false, 11, 21);
    Desktop->MouseButton(w, 3, true, 300, 400, MK_RBUTTON | MK_SHIFT);
    Desktop->MouseButton(w, 2, false, 0, 479);
    thread.Run([] {});
    // Key messages carry the scan code, the repeat count, and the extended,
    // Alt, previous state and transition bits.
    const std::vector<Seen> keys{
        {WM_KEYDOWN, 'A', 0x001E0001},      {WM_CHAR, 'a', 0x001E0001},
        {WM_KEYUP, 'A', 0xC01E0001},        {WM_SYSKEYDOWN, 'X', 0x202D0001},
        {WM_SYSCHAR, 'x', 0x202D0001},      {WM_SYSKEYUP, 'X', 0xE02D0001},
        {WM_KEYDOWN, VK_LEFT, 0x014B0001},  {WM_KEYUP, VK_LEFT, 0xC14B0001},
        {WM_KEYDOWN, VK_SPACE, 0x00390001}, {WM_KEYDOWN, VK_SPACE, 0x40390001},
        {WM_KEYUP, VK_SPACE, 0xC0390001}};
    EXPECT_EQ(thread.Logged(WM_KEYFIRST, WM_KEYLAST), keys);
    const std::vector<Seen> buttons{{WM_LBUTTONDOWN, MK_LBUTTON, 0x0014000A},
                                    {WM_LBUTTONUP, 0, MAKELPARAM(11, 21)},
                                    {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(300, 400)},
                                    {WM_MBUTTONUP, 0, MAKELPARAM(0, 479)}};
    EXPECT_EQ(thread.Logged(WM_LBUTTONDOWN, WM_MBUTTONDBLCLK), buttons);
}

} // namespace
