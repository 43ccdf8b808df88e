// Message queues: posting order, synthesised WM_PAINT and WM_QUIT, filters,
// waking a waiting thread, sending and dispatching.
#include "UserTest.h"

namespace {

using namespace UserTest;

// A hidden window: no update region, so no WM_PAINT gets in the way.
HWND HiddenWindow(const std::string& className) {
    return CreateTestWindow(className, WS_OVERLAPPEDWINDOW);
}

using UserMessageQueue = UserFixture;

TEST_F(UserMessageQueue, PostedMessagesArriveInTheOrderPosted) {
    OnNewThread([&] {
        HWND window = HiddenWindow(RegisterLoggingClass());
        for (WPARAM i = 0; i < 5; ++i)
            ASSERT_TRUE(PostMessageA(window, WM_USER + static_cast<UINT>(i % 2), i, 0));
        for (WPARAM i = 0; i < 5; ++i) {
            MSG msg{};
            ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
            EXPECT_EQ(msg.hwnd, window);
            EXPECT_EQ(msg.message, WM_USER + static_cast<UINT>(i % 2));
            EXPECT_EQ(msg.wParam, i);
        }
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        DestroyWindow(window);
    });
}

TEST_F(UserMessageQueue, PaintComesOnlyWhenNothingElseIsQueuedAndWhileTheRegionLasts) {
    OnNewThread([&] {
        HWND window = HiddenWindow(RegisterLoggingClass());
        ShowWindow(window, SW_SHOW); // a window that appears must be painted
        PostMessageA(window, WM_USER + 1, 0, 0);
        PostMessageA(window, WM_USER + 2, 0, 0);
        MSG msg{};
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
        EXPECT_EQ(msg.hwnd, window);

        // Not validated: it comes again, but after anything posted meanwhile.
        PostMessageA(window, WM_USER + 3, 0, 0);
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));

        ValidateRect(window, nullptr);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        DestroyWindow(window);
    });
}

TEST_F(UserMessageQueue, InvalidatingStartsPaintAndBeginPaintEndsIt) {
    OnNewThread([&] {
        HWND window = HiddenWindow(RegisterLoggingClass());
        ShowWindow(window, SW_SHOW);
        ValidateRect(window, nullptr);
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        RECT area{5, 5, 10, 10};
        InvalidateRect(window, &area, FALSE);
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
        PAINTSTRUCT paint;
        ASSERT_NE(BeginPaint(window, &paint), nullptr);
        EndPaint(window, &paint);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        DestroyWindow(window);
    });
}

TEST_F(UserMessageQueue, QuitComesOnceTheQueueIsDrained) {
    OnNewThread([&] {
        HWND window = HiddenWindow(RegisterLoggingClass());
        PostMessageA(window, WM_USER + 1, 0, 0);
        PostQuitMessage(7);
        PostMessageA(window, WM_USER + 2, 0, 0);
        MSG msg{};
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
        EXPECT_EQ(msg.wParam, 7u);
        // Retrieved once only.
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        DestroyWindow(window);
    });
}

struct PeekingThread {
    HANDLE Go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE Peeked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    UINT Received = 0;
    WPARAM ReceivedParam = 0;
};

TEST_F(UserMessageQueue, PeekWithoutRemovingGivesTheThreadAQueue) {
    PeekingThread state;
    auto routine = [](LPVOID parameter) -> DWORD {
        auto* s = static_cast<PeekingThread*>(parameter);
        WaitForSingleObject(s->Go, INFINITE);
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        SetEvent(s->Peeked);
        if (GetMessageA(&msg, nullptr, 0, 0) == 1) {
            s->Received = msg.message;
            s->ReceivedParam = msg.wParam;
        }
        return 0;
    };
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, routine, &state, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 1, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    SetEvent(state.Go);
    ASSERT_EQ(WaitForSingleObject(state.Peeked, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(PostThreadMessageA(id, WM_USER, 42, 0));
    ASSERT_EQ(WaitForSingleObject(thread, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(state.Received, static_cast<UINT>(WM_USER));
    EXPECT_EQ(state.ReceivedParam, 42u);
    CloseHandle(thread);
    CloseHandle(state.Go);
    CloseHandle(state.Peeked);
}

TEST_F(UserMessageQueue, PostingFromAnotherThreadWakesAWaitingGetMessage) {
    WindowThread thread;
    ASSERT_NE(thread.Window, nullptr);
    // The window has painted and its thread now waits in GetMessageA.
    ASSERT_TRUE(thread.Log.WaitFor(WM_PAINT));
    ASSERT_TRUE(PostMessageA(thread.Window, WM_USER + 7, 70, 71));
    ASSERT_TRUE(thread.Log.WaitFor(WM_USER + 7));
    auto received = thread.Log.Only(WM_USER + 7);
    EXPECT_EQ(received[0].WParam, 70u);
    EXPECT_EQ(received[0].LParam, 71);
    EXPECT_EQ(received[0].Window, thread.Window);
}

TEST_F(UserMessageQueue, WindowFilterTakesThatWindowsMessagesFirst) {
    OnNewThread([&] {
        const std::string name = RegisterLoggingClass();
        HWND first = HiddenWindow(name);
        HWND second = HiddenWindow(name);
        PostMessageA(first, WM_USER + 1, 0, 0);
        PostMessageA(nullptr, WM_USER + 3, 0, 0);
        PostMessageA(second, WM_USER + 2, 0, 0);
        MSG msg{};
        ASSERT_EQ(GetMessageA(&msg, second, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
        EXPECT_EQ(msg.hwnd, second);
        // -1 takes the messages that belong to no window.
        ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
        ASSERT_EQ(GetMessageA(&msg, first, 0, 0), 1);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        DestroyWindow(first);
        DestroyWindow(second);
    });
}

TEST_F(UserMessageQueue, RangeFilterSkipsOtherMessages) {
    OnNewThread([&] {
        HWND window = HiddenWindow(RegisterLoggingClass());
        PostMessageA(window, WM_USER, 0, 0);
        PostMessageA(window, WM_KEYDOWN, 'A', 0);
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
        DestroyWindow(window);
    });
}

TEST_F(UserMessageQueue, InvalidWindowsAreRefused) {
    OnNewThread([&] {
        HWND bogus = reinterpret_cast<HWND>(0x7777);
        EXPECT_FALSE(PostMessageA(bogus, WM_USER, 0, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        MSG msg;
        EXPECT_EQ(GetMessageA(&msg, bogus, 0, 0), -1);
        EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    });
}

TEST_F(UserMessageQueue, TranslateReportsKeyMessagesAndPostsNothing) {
    OnNewThread([&] {
        MSG key{};
        key.message = WM_KEYDOWN;
        key.wParam = 'A';
        EXPECT_TRUE(TranslateMessage(&key));
        key.message = WM_SYSKEYUP;
        EXPECT_TRUE(TranslateMessage(&key));
        key.message = WM_USER;
        EXPECT_FALSE(TranslateMessage(&key));
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    });
}

using UserSending = UserFixture;

TEST_F(UserSending, SendAndDispatchCallTheProcedureOnTheOwningThread) {
    WindowThread::Options options;
    options.OnMessage = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 9)
            return static_cast<LRESULT>(wParam * 2);
        return std::nullopt;
    };
    WindowThread thread(options);
    LRESULT sent = 0, dispatched = 0, threadMessage = -1;
    thread.Run([&] {
        sent = SendMessageA(thread.Window, WM_USER + 9, 21, 0);
        MSG msg{thread.Window, WM_USER + 9, 50, 0, 0, {0, 0}};
        dispatched = DispatchMessageA(&msg);
        msg.hwnd = nullptr;
        threadMessage = DispatchMessageA(&msg);
    });
    EXPECT_EQ(sent, 42);
    EXPECT_EQ(dispatched, 100);
    EXPECT_EQ(threadMessage, 0);
    EXPECT_EQ(thread.Log.Only(WM_USER + 9).size(), 2u);
}

TEST_F(UserSending, ASendFromAnotherThreadIsRefused) {
    WindowThread thread;
    EXPECT_EQ(SendMessageA(thread.Window, WM_USER + 9, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    thread.Run([] {});
    EXPECT_TRUE(thread.Log.Only(WM_USER + 9).empty());
}

} // namespace
