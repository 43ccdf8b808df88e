// Top-level windows: creation, showing, destruction, geometry and the default
// window procedure.
//
// A window belongs to the thread that created it. Creation and destruction
// send WM_CREATE and WM_DESTROY on that thread before they return; only the
// owner may destroy a window (another thread gets ERROR_ACCESS_DENIED, as on
// Windows). The desktop learns of a window before WM_CREATE and forgets it
// before WM_DESTROY, so the window disappears from the screen at once while
// its procedure still releases what it holds.
#include "desktop/Desktop.h"
#include "user/Painting.h"
#include "user/UserState.h"

#include <algorithm>
#include <unistd.h>

namespace WinApi {
namespace {

struct Geometry {
    RECT Outer{0, 0, 0, 0};
    RECT Client{0, 0, 0, 0};
    bool Maximized = false;
};

// Default positions step down and right from the work area's corner by a
// caption and frame, so that windows created one after another stay visible;
// a window that would leave the work area starts the cascade again.
POINT CascadePosition(const RECT& work, int width, int height) {
    constexpr int Step = 27;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    int offset = Step * user.CascadeStep;
    if (work.left + offset + width > work.right || work.top + offset + height > work.bottom) {
        user.CascadeStep = 0;
        offset = 0;
    }
    ++user.CascadeStep;
    return {work.left + offset, work.top + offset};
}

Geometry PlaceWindow(DWORD style, int x, int y, int width, int height, const ScreenInfo& screen) {
    const int frameX = FrameWidth(style);
    const int frameY = FrameHeight(style);
    const int caption = CaptionHeight(style);
    const RECT& work = screen.WorkArea;
    Geometry g;
    if (style & WS_MAXIMIZE) {
        // Maximised, the frames lie just outside the work area and the
        // client area fills the rest of it below the caption.
        g.Maximized = true;
        g.Outer = {work.left - frameX, work.top - frameY, work.right + frameX,
                   work.bottom + frameY};
    } else {
        if (width == CW_USEDEFAULT) {
            width = (work.right - work.left) * 3 / 4;
            height = (work.bottom - work.top) * 3 / 4;
        }
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (x == CW_USEDEFAULT) {
            POINT at = CascadePosition(work, width, height);
            x = at.x;
            y = at.y;
        }
        g.Outer = {x, y, x + width, y + height};
    }
    g.Client = {g.Outer.left + frameX, g.Outer.top + frameY + caption, g.Outer.right - frameX,
                g.Outer.bottom - frameY};
    g.Client.right = std::max(g.Client.right, g.Client.left);
    g.Client.bottom = std::max(g.Client.bottom, g.Client.top);
    return g;
}

WindowInfo DescribeLocked(const Window& window) {
    WindowInfo info;
    info.Title = window.Title;
    info.Outer = window.Outer;
    info.Client = window.Client;
    info.Visible = window.Visible;
    info.Maximized = window.Maximized;
    return info;
}

// Tells the procedure its client size, as creating or showing a window does.
void SendSize(const std::shared_ptr<Window>& window) {
    const int width = window->ClientWidth();
    const int height = window->ClientHeight();
    CallProcedure(window, WM_SIZE, window->Maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                  static_cast<LPARAM>((height & 0xFFFF) << 16 | (width & 0xFFFF)));
}

void RemovePostedLocked(UserState& user, const Window& window) {
    if (MessageQueue* queue = ExistingQueue(user, window.ThreadId))
        std::erase_if(queue->Posted, [&](const MSG& m) { return m.hwnd == window.Handle; });
}

} // namespace
} // namespace WinApi

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    using namespace WinApi;
    if (!lpClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto windowClass = LookupClass(lpClassName);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    // Only top-level windows exist in this layer.
    if (dwStyle & WS_CHILD) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    Desktop& desktop = CurrentDesktop();
    if (!desktop.Available()) {
        SetLastError(ERROR_DEVICE_NOT_AVAILABLE);
        return nullptr;
    }
    const Geometry geometry = PlaceWindow(dwStyle, X, Y, nWidth, nHeight, desktop.Screen());

    auto window = std::make_shared<Window>();
    window->Class = windowClass;
    window->Procedure = windowClass->Procedure;
    window->ThreadId = GetCurrentThreadId();
    window->Style = dwStyle;
    window->ExStyle = dwExStyle;
    window->Title = lpWindowName ? lpWindowName : "";
    window->Outer = geometry.Outer;
    window->Client = geometry.Client;
    window->Maximized = geometry.Maximized;
    window->Surface =
        std::make_shared<ClientSurface>(window->ClientWidth(), window->ClientHeight(), 0);

    WindowInfo info;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        window->Handle = reinterpret_cast<HWND>(user.NextWindow);
        user.NextWindow += 4;
        user.Windows.emplace(window->Handle, window);
        CurrentQueue(user);
        info = DescribeLocked(*window);
    }
    const HWND handle = window->Handle;
    if (!desktop.AddWindow(handle, info, window->Surface)) {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        user.Windows.erase(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    CREATESTRUCTA create{};
    create.lpCreateParams = lpParam;
    create.hInstance = hInstance;
    create.hMenu = hMenu;
    create.hwndParent = hWndParent;
    create.cx = geometry.Outer.right - geometry.Outer.left;
    create.cy = geometry.Outer.bottom - geometry.Outer.top;
    create.x = geometry.Outer.left;
    create.y = geometry.Outer.top;
    create.style = static_cast<LONG>(dwStyle);
    create.lpszName = lpWindowName;
    create.lpszClass = lpClassName;
    create.dwExStyle = dwExStyle;
    if (CallProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    // The procedure may have destroyed its own window while creating it.
    if (!IsWindow(handle))
        return nullptr;
    if (geometry.Maximized)
        SendSize(window);
    if (dwStyle & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    using namespace WinApi;
    UserState& user = User();
    std::shared_ptr<Window> window;
    {
        std::lock_guard guard(user.Lock);
        window = WindowOf(user, hWnd);
        if (!window) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (window->ThreadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        // Called again from the window's own WM_DESTROY: already under way.
        if (window->Destroying)
            return TRUE;
        window->Destroying = true;
        window->Visible = false;
        window->Update.Clear();
    }
    CurrentDesktop().RemoveWindow(hWnd);
    CallProcedure(window, WM_DESTROY, 0, 0);
    {
        std::lock_guard guard(user.Lock);
        user.Windows.erase(hWnd);
        RemovePostedLocked(user, *window);
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    return WindowOf(user, hWnd) ? TRUE : FALSE;
}

// Minimising and maximising after creation are not part of this layer: every
// command other than SW_HIDE shows the window as it is. On the window's own
// thread a change of visibility is announced with WM_SHOWWINDOW first; a
// window that appears is erased at once and told its size, as Windows does
// when it shows a window.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    using namespace WinApi;
    const bool show = nCmdShow != SW_HIDE;
    std::shared_ptr<Window> window;
    bool wasVisible = false;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        window = WindowOf(user, hWnd);
        if (!window || window->Destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = window->Visible;
    }
    const bool owner = window->ThreadId == GetCurrentThreadId();
    if (show != wasVisible && owner)
        CallProcedure(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        // The procedure may have destroyed the window on WM_SHOWWINDOW.
        if (window->Destroying)
            return wasVisible ? TRUE : FALSE;
        window->Visible = show;
        if (show && !wasVisible)
            InvalidateLocked(user, *window, window->ClientArea(), true);
        else if (!show)
            window->Update.Clear();
    }
    if (show != wasVisible)
        CurrentDesktop().ShowWindow(hWnd, show);
    if (show && !wasVisible && owner) {
        GetUpdateRect(hWnd, nullptr, TRUE);
        SendSize(window);
    }
    return wasVisible ? TRUE : FALSE;
}

namespace WinApi {
namespace {

// Copies one of a window's rectangles, chosen by pick, under the state lock.
template <class Pick>
BOOL ReadWindowRect(HWND hWnd, LPRECT lpRect, Pick pick) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto window = WindowOf(user, hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = pick(*window);
    return TRUE;
}

} // namespace
} // namespace WinApi

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    return WinApi::ReadWindowRect(hWnd, lpRect, [](auto& window) { return window.ClientArea(); });
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    return WinApi::ReadWindowRect(hWnd, lpRect, [](auto& window) { return window.Outer; });
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    auto window = WinApi::LookupWindow(hWnd);
    if (!window)
        return 0;
    if (lpdwProcessId)
        *lpdwProcessId = static_cast<DWORD>(::getpid());
    return window->ThreadId;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM) {
    switch (Msg) {
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_ERASEBKGND:
        return WinApi::EraseBackground(hWnd, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (BeginPaint(hWnd, &paint))
            EndPaint(hWnd, &paint);
        return 0;
    }
    default:
        return 0;
    }
}
