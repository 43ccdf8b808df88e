// user32's state: window classes, windows and the per-thread message queues.
//
// One lock guards all of it. Two rules keep it free of deadlocks, since
// window procedures and desktops both call back into user32:
//  - no window procedure is called while the lock is held;
//  - no desktop function is called while the lock is held (a desktop may
//    report user events, which take the lock, from inside its own lock).
// So every function reads or changes the state under the lock, copies what it
// needs, and lets go before it sends a message or tells the desktop.
//
// Window handles are numbers handed out in order and never reused, so a
// handle of a destroyed window stays invalid for good. Thread identifiers are
// the layer's own (GetCurrentThreadId), also never reused.
#pragma once

#include "gdi/Rects.h"
#include "gdi/Surface.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace WinApi {

struct WindowClass {
    ATOM Atom = 0;
    std::string Name;
    UINT Style = 0;
    WNDPROC Procedure = nullptr;
    HINSTANCE Instance = nullptr;
    HBRUSH Background = nullptr;
};

// The update region is kept as its bounding rectangle (client coordinates)
// and one erase flag: painting a little more than was damaged is always
// correct, and the driver repaints rectangles anyway.
struct UpdateRegion {
    RECT Bounds{0, 0, 0, 0};
    bool Erase = false;

    bool Empty() const { return IsEmpty(Bounds); }
    void Add(const RECT& area, bool erase);
    void Clear() { *this = UpdateRegion{}; }
};

struct Window {
    HWND Handle = nullptr;
    std::shared_ptr<const WindowClass> Class;
    WNDPROC Procedure = nullptr;
    DWORD ThreadId = 0;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    std::string Title;
    RECT Outer{0, 0, 0, 0};  // screen coordinates
    RECT Client{0, 0, 0, 0}; // screen coordinates
    bool Visible = false;
    bool Maximized = false;
    bool Destroying = false; // DestroyWindow has begun: the user can no longer reach it
    UpdateRegion Update;
    std::shared_ptr<ClientSurface> Surface;

    int ClientWidth() const { return Client.right - Client.left; }
    int ClientHeight() const { return Client.bottom - Client.top; }
    RECT ClientArea() const { return {0, 0, ClientWidth(), ClientHeight()}; }
};

struct MessageQueue {
    std::deque<MSG> Posted;
    bool QuitPending = false;
    int QuitCode = 0;
    // Waited on with the user32 lock by GetMessageA.
    std::condition_variable Wake;
};

struct UserState {
    std::mutex Lock;
    // Keyed by the name in lower case: class names ignore case.
    std::unordered_map<std::string, std::shared_ptr<const WindowClass>> Classes;
    ATOM NextAtom = 0xC000;
    std::unordered_map<HWND, std::shared_ptr<Window>> Windows;
    ULONG_PTR NextWindow = 0x10010;
    std::unordered_map<DWORD, std::unique_ptr<MessageQueue>> Queues;
    int CascadeStep = 0;
    POINT LastCursor{0, 0};
    bool KeysDown[256] = {};
};

// The process's user32 state. Never destroyed: threads that outlive main may
// still post or paint while the process ends.
UserState& User();

// With the lock held: the window, or null for an unknown or destroyed handle.
std::shared_ptr<Window> WindowOf(UserState& user, HWND handle);
// With the lock held: the calling thread's queue, created on first use. Only
// a thread itself creates its queue (by creating a window or looking for
// messages), as on Windows.
MessageQueue& CurrentQueue(UserState& user);
// With the lock held: a thread's queue, or null when it has none.
MessageQueue* ExistingQueue(UserState& user, DWORD threadId);
// With the lock held: appends a posted message to a thread's queue and wakes it.
void PostToQueue(UserState& user, DWORD threadId, HWND window, UINT message, WPARAM wParam,
                 LPARAM lParam);
// With the lock held: adds an area (client coordinates, clipped to the client
// area) to a visible window's update region and wakes its thread.
void InvalidateLocked(UserState& user, Window& window, const RECT& area, bool erase);

// The class registered under a name or atom, or null.
std::shared_ptr<const WindowClass> LookupClass(LPCSTR name);

// The window, or null with ERROR_INVALID_WINDOW_HANDLE set.
std::shared_ptr<Window> LookupWindow(HWND handle);

// Calls a window procedure (no lock held).
LRESULT CallProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam,
                      LPARAM lParam);

// Milliseconds for MSG::time.
DWORD MessageTime();

// Frame and caption sizes of a window of the given style.
int FrameWidth(DWORD style);
int FrameHeight(DWORD style);
int CaptionHeight(DWORD style);

} // namespace WinApi
