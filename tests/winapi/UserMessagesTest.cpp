// Message queues: posting order, synthesised WM_PAINT and WM_QUIT. (Waking a
// thread that waits for a message is what every WindowThread::Run relies on.)
#include "UserTest.h"

namespace {

using namespace UserTest;

// Each test works on the queue of a thread that owns one hidden window: with
// no update region, no WM_PAINT gets in the way until the test shows it.
class UserMessageQueue : public UserFixture {
protected:
    void SetUp() override {
        UserFixture::SetUp();
        WindowThread::Options hidden;
        hidden.Style = WS_OVERLAPPEDWINDOW;
        Thread.emplace(hidden);
    }
    // The next message on the calling thread's queue, taken off it unless
    // told not to; 0 when there is none.
    static UINT Next(UINT remove = PM_REMOVE) {
        MSG msg{};
        return PeekMessageA(&msg, nullptr, 0, 0, remove) ? msg.message : 0;
    }
    std::optional<WindowThread> Thread;
};

TEST_F(UserMessageQueue, PaintComesForAShownWindowWhileTheRegionLastsAndLikeQuitAfterPosts) {
    Thread->Run([&] {
        const HWND window = Thread->Window;
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
        EXPECT_TRUE(Thread->Logged(WM_PAINT).empty());
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
