// Window creation and geometry, maximised windows, destroying windows,
// message queues (posting order, synthesised WM_PAINT and WM_QUIT; waking a
// thread that waits for a message is what every WindowThread::Run relies
// on), and painting: erasing with the class brush, and paint device contexts
// clipped to the update rectangle.
#include "UserTest.h"

namespace {

using namespace UserTest;
using UserWindows = UserFixture;

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

} // namespace
