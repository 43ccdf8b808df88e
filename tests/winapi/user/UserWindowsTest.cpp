// Window creation and geometry, maximised windows, and destroying windows.
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
    EXPECT_EQ(thread.WaitForExit(), 0u);
    EXPECT_EQ(destroys, 1u);
    EXPECT_EQ(next, static_cast<UINT>(WM_QUIT)); // posted on WM_DESTROY
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(Desktop->Info(window));
    EXPECT_TRUE(Desktop->Windows().empty());
    EXPECT_FALSE(Desktop->Close(window));
}

} // namespace
