// Message queues: posting order, synthesised WM_PAINT and WM_QUIT. (Waking a
// thread that waits for a message is what every WindowThread::Run relies on.)
#include "UserTest.h"

namespace {

using namespace UserTest;

using UserMessageQueue = UserFixture;

// The next message on the calling thread's queue, taken off it unless told
// not to; 0 when there is none.
UINT Next(UINT remove = PM_REMOVE) {
    MSG msg{};
    return PeekMessageA(&msg, nullptr, 0, 0, remove) ? msg.message : 0;
}

// On the queue of a thread that owns one hidden window: with no update
// region, no WM_PAINT gets in the way until the test shows it.
TEST_F(UserMessageQueue, PaintComesForAShownWindowWhileTheRegionLastsAndLikeQuitAfterPosts) {
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
