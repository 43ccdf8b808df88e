// Window creation and geometry, system metrics, and destroying windows.
#include "UserTest.h"

namespace {

using namespace UserTest;
using UserWindows = UserFixture;

TEST_F(UserWindows,
       CreateIsSentOnTheCreatingThreadBeforeCreateWindowReturnsAndTheClientIsWhatTheFramesLeave) {
    int marker = 0;
    std::optional<CREATESTRUCTA> created;
    std::string title;
    WindowThread::Options options;
    options.X = 10;
    options.Y = 20;
    options.CreateParam = &marker;
    options.OnMessage = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        // Current is set on the creating thread only, and its Window once
        // CreateWindowExA has returned.
        if (message == WM_CREATE && WindowThread::Current && !WindowThread::Current->Window) {
            created = *reinterpret_cast<CREATESTRUCTA*>(lParam);
            title = created->lpszName;
        }
        return std::nullopt;
    };
    WindowThread thread(options);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(created->lpCreateParams, &marker);
    EXPECT_EQ(created->cx, 648);
    EXPECT_EQ(created->cy, 511);
    EXPECT_EQ(title, "Test window");
    // The client area is the outer size less 2 frames across, and 2 frames
    // and the caption down; the desktop shows it at its place on the screen.
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(thread.Window, &client));
    ASSERT_TRUE(GetWindowRect(thread.Window, &outer));
    EXPECT_EQ(client, (RECT{0, 0, 640, 480}));
    EXPECT_EQ(outer, (RECT{10, 20, 658, 531}));
    EXPECT_EQ(Desktop->Info(thread.Window).value().Client, (RECT{14, 47, 654, 527}));
}

TEST_F(UserWindows, CreationFailsWhenTheDesktopRefusesTheWindowOrItsClassOrHasNoDisplay) {
    using Screen = WinApi::HeadlessDesktop;
    const std::function<void(Screen&)> refusals[] = {
        [](Screen& d) { d.SetAcceptWindows(false); },
        [](Screen& d) { d.SetAllowClassRegistration(false); },
        [](Screen& d) { d.SetAvailable(false); }};
    for (const auto& refuse : refusals) {
        Select(std::make_unique<WinApi::HeadlessDesktop>());
        refuse(*Desktop);
        WindowThread thread;
        EXPECT_EQ(thread.Window, nullptr);
        EXPECT_NE(thread.CreateError, 0u);
        EXPECT_TRUE(Desktop->Windows().empty());
    }
}

TEST_F(UserWindows, MetricsAndTheMaximisedClientAreaFollowTheScreen) {
    // The full-screen height is the screen's less a 40-pixel taskbar and a caption.
    struct Screen {
        int Width, Height, FullHeight;
    };
    const Screen screens[] = {{1920, 1080, 1017}, {1024, 768, 705}};
    for (const Screen& s : screens) {
        // The first is the default headless screen.
        if (&s != screens)
            Select(std::make_unique<WinApi::HeadlessDesktop>(s.Width, s.Height, 40));
        std::vector<int> metrics;
        for (int index : {SM_CXSCREEN, SM_CYSCREEN, SM_CXFULLSCREEN, SM_CYFULLSCREEN, SM_CXFRAME,
                          SM_CYFRAME, SM_CYCAPTION})
            metrics.push_back(GetSystemMetrics(index));
        EXPECT_EQ(metrics, (std::vector<int>{s.Width, s.Height, s.Width, s.FullHeight, 4, 4, 23}));
        WindowThread::Options options;
        options.Style |= WS_MAXIMIZE;
        WindowThread thread(options);
        RECT client{}, outer{};
        GetClientRect(thread.Window, &client);
        GetWindowRect(thread.Window, &outer);
        EXPECT_EQ(client, (RECT{0, 0, s.Width, s.FullHeight}));
        // The frames hang over the work area's edges; the caption stays on it.
        EXPECT_EQ(outer, (RECT{-4, -4, s.Width + 4, s.Height - 40 + 4}));
        EXPECT_TRUE(Desktop->Info(thread.Window).value().Maximized);
    }
}

TEST_F(UserWindows, DestroySendsDestroyDropsQueuedMessagesAndInvalidatesTheHandle) {
    WindowThread thread;
    const HWND window = thread.Window;
    // Only the owning thread may destroy the window.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    thread.Run([&] {
        ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 0, 0));
        EXPECT_TRUE(DestroyWindow(window));
        // Sent, not posted: already handled when DestroyWindow returns.
        EXPECT_EQ(thread.Logged(WM_DESTROY).size(), 1u);
        MSG next{};
        PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE);
        EXPECT_EQ(next.message, static_cast<UINT>(WM_QUIT)); // posted on WM_DESTROY
    });
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(Desktop->Info(window));
    EXPECT_EQ(thread.WaitForExit(), 0u);
}

} // namespace
