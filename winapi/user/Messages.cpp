// Message queues: posting, retrieving, dispatching, and sending.
//
// Each thread has one queue, made when it first creates a window or looks
// for a message. A thread retrieves, in this order: the oldest posted message
// that passes the filters; WM_QUIT once PostQuitMessage was called (whatever
// the filters, as PeekMessage documents for the range); WM_PAINT for one of
// its visible windows whose update region is not empty. WM_PAINT is never
// queued: it keeps coming for as long as the region stays non-empty, and
// BeginPaint or ValidateRect empty it.
//
// Sending runs the window procedure at once, and only on the thread that
// owns the window. The system never sends across threads, so a send from
// another thread is refused (ERROR_ACCESS_DENIED) rather than queued: that
// keeps every thread free of re-entrant message processing while it waits.
#include "user/UserState.h"

namespace WinApi {
namespace {

const HWND ThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool Matches(const MSG& m, HWND filter, UINT first, UINT last) {
    if (filter == ThreadMessagesOnly) {
        if (m.hwnd != nullptr)
            return false;
    } else if (filter && m.hwnd != filter) {
        return false;
    }
    return InRange(m.message, first, last);
}

// With the lock held: the calling thread's next message, if any.
bool NextMessage(UserState& user, MessageQueue& queue, HWND filter, UINT first, UINT last,
                 bool remove, MSG& out) {
    for (auto it = queue.Posted.begin(); it != queue.Posted.end(); ++it) {
        if (Matches(*it, filter, first, last)) {
            out = *it;
            if (remove)
                queue.Posted.erase(it);
            return true;
        }
    }
    if (queue.QuitPending) {
        out = MSG{nullptr, WM_QUIT,       static_cast<WPARAM>(queue.QuitCode),
                  0,       MessageTime(), user.LastCursor};
        if (remove)
            queue.QuitPending = false;
        return true;
    }
    if (filter != ThreadMessagesOnly && InRange(WM_PAINT, first, last)) {
        const DWORD self = GetCurrentThreadId();
        for (const auto& [handle, window] : user.Windows) {
            if (window->ThreadId == self && window->Visible && !window->Destroying &&
                !window->Update.Empty() && (!filter || filter == handle)) {
                out = MSG{handle, WM_PAINT, 0, 0, MessageTime(), user.LastCursor};
                return true;
            }
        }
    }
    return false;
}

// With the lock held: whether a window filter names a window of this thread.
bool FilterValid(UserState& user, HWND filter) {
    if (!filter || filter == ThreadMessagesOnly)
        return true;
    auto window = WindowOf(user, filter);
    if (window && window->ThreadId == GetCurrentThreadId())
        return true;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

} // namespace
} // namespace WinApi

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    using namespace WinApi;
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    UserState& user = User();
    std::unique_lock guard(user.Lock);
    MessageQueue& queue = CurrentQueue(user);
    for (;;) {
        // Checked on every round: a filtered window destroyed meanwhile would
        // otherwise leave this thread waiting for ever.
        if (!FilterValid(user, hWnd))
            return -1;
        if (NextMessage(user, queue, hWnd, wMsgFilterMin, wMsgFilterMax, true, *lpMsg))
            return lpMsg->message == WM_QUIT ? 0 : 1;
        queue.Wake.wait(guard);
    }
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    MessageQueue& queue = CurrentQueue(user);
    if (!FilterValid(user, hWnd))
        return FALSE;
    MSG found;
    if (!NextMessage(user, queue, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0,
                     found))
        return FALSE;
    if (lpMsg)
        *lpMsg = found;
    return TRUE;
}

// The desktops send WM_CHAR and WM_SYSCHAR themselves, from the characters
// the user typed, so that the keyboard layout is theirs to know. Translating
// therefore posts nothing; the result says whether the message was a key
// message, as Windows reports it.
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (!lpMsg)
        return FALSE;
    switch (lpMsg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    using namespace WinApi;
    if (!lpMsg || !lpMsg->hwnd)
        return 0;
    auto window = LookupWindow(lpMsg->hwnd);
    if (!window)
        return 0;
    return CallProcedure(window, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (!hWnd) {
        // A null window posts to the calling thread itself.
        CurrentQueue(user);
        PostToQueue(user, GetCurrentThreadId(), nullptr, Msg, wParam, lParam);
        return TRUE;
    }
    auto window = WindowOf(user, hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PostToQueue(user, window->ThreadId, hWnd, Msg, wParam, lParam);
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (!ExistingQueue(user, idThread)) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    PostToQueue(user, idThread, nullptr, Msg, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    MessageQueue& queue = CurrentQueue(user);
    queue.QuitPending = true;
    queue.QuitCode = nExitCode;
    queue.Wake.notify_all();
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace WinApi;
    auto window = LookupWindow(hWnd);
    if (!window)
        return 0;
    if (window->ThreadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return CallProcedure(window, Msg, wParam, lParam);
}
