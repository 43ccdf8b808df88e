// user32's shared state, the message queues' inner steps, and what happens
// when a thread that owns windows or a queue ends.
#include "user/UserState.h"

#include "desktop/Desktop.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace WinApi {
namespace {

// A thread's windows and queue go when the thread ends, as on Windows. The
// windows' procedures cannot run any more, so no message is sent; the desktop
// only forgets them.
void ThreadEnded(DWORD threadId) {
    std::vector<HWND> removed;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        for (auto it = user.Windows.begin(); it != user.Windows.end();) {
            if (it->second->ThreadId == threadId) {
                removed.push_back(it->first);
                it = user.Windows.erase(it);
            } else {
                ++it;
            }
        }
        user.Queues.erase(threadId);
    }
    for (HWND window : removed)
        CurrentDesktop().RemoveWindow(window);
}

struct ThreadExitWatch {
    DWORD ThreadId = 0;
    ~ThreadExitWatch() {
        if (ThreadId != 0)
            ThreadEnded(ThreadId);
    }
};

thread_local ThreadExitWatch ExitWatch;

} // namespace

void UpdateRegion::Add(const RECT& area, bool erase) {
    if (IsEmpty(area))
        return;
    Bounds = Union(Bounds, area);
    Erase = Erase || erase;
}

UserState& User() {
    static UserState* state = new UserState;
    return *state;
}

std::shared_ptr<Window> WindowOf(UserState& user, HWND handle) {
    auto it = user.Windows.find(handle);
    return it == user.Windows.end() ? nullptr : it->second;
}

MessageQueue& CurrentQueue(UserState& user) {
    const DWORD threadId = GetCurrentThreadId();
    auto& queue = user.Queues[threadId];
    if (!queue) {
        queue = std::make_unique<MessageQueue>();
        ExitWatch.ThreadId = threadId;
    }
    return *queue;
}

MessageQueue* ExistingQueue(UserState& user, DWORD threadId) {
    auto it = user.Queues.find(threadId);
    return it == user.Queues.end() ? nullptr : it->second.get();
}

void PostToQueue(UserState& user, DWORD threadId, HWND window, UINT message, WPARAM wParam,
                 LPARAM lParam) {
    MessageQueue* queue = ExistingQueue(user, threadId);
    if (!queue)
        return;
    queue->Posted.push_back(MSG{window, message, wParam, lParam, MessageTime(), user.LastCursor});
    queue->Wake.notify_all();
}

void InvalidateLocked(UserState& user, Window& window, const RECT& area, bool erase) {
    // A hidden window has nothing on the screen to repair; showing it
    // invalidates it whole.
    if (!window.Visible || window.Destroying)
        return;
    RECT clipped = Intersect(area, window.ClientArea());
    if (IsEmpty(clipped))
        return;
    window.Update.Add(clipped, erase);
    if (MessageQueue* queue = ExistingQueue(user, window.ThreadId))
        queue->Wake.notify_all();
}

std::shared_ptr<Window> LookupWindow(HWND handle) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto window = WindowOf(user, handle);
    if (!window)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

LRESULT CallProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    return window->Procedure(window->Handle, message, wParam, lParam);
}

DWORD MessageTime() {
    using namespace std::chrono;
    return static_cast<DWORD>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int FrameWidth(DWORD style) {
    if (style & WS_THICKFRAME)
        return GetSystemMetrics(SM_CXFRAME);
    if (style & WS_DLGFRAME)
        return GetSystemMetrics(SM_CXFIXEDFRAME);
    if (style & WS_BORDER)
        return GetSystemMetrics(SM_CXBORDER);
    return 0;
}

int FrameHeight(DWORD style) {
    if (style & WS_THICKFRAME)
        return GetSystemMetrics(SM_CYFRAME);
    if (style & WS_DLGFRAME)
        return GetSystemMetrics(SM_CYFIXEDFRAME);
    if (style & WS_BORDER)
        return GetSystemMetrics(SM_CYBORDER);
    return 0;
}

int CaptionHeight(DWORD style) {
    return (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
}

} // namespace WinApi
