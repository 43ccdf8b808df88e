// Painting: update regions, window device contexts and erasing.
//
// A window's update region is its bounding rectangle plus an erase flag
// (see UserState.h). BeginPaint takes the whole region at once: the paint DC
// is clipped to the bounding rectangle, the region is emptied, and
// WM_ERASEBKGND is sent first when any invalidation asked for erasing. A
// message can only be sent on the window's own thread; painting from another
// thread leaves erasing to the caller (PAINTSTRUCT::fErase).
#include "user/Painting.h"

#include "gdi/WindowDC.h"
#include "user/UserState.h"

#include <cstring>

namespace WinApi {

bool EraseBackground(HWND window, HDC dc) {
    auto target = LookupWindow(window);
    if (!target || !target->Class->Background || !dc)
        return false;
    RECT area;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        area = target->ClientArea();
    }
    // A paint DC is clipped to the update rectangle, so filling the client
    // area through it fills exactly the area being painted.
    return FillRect(dc, &area, target->Class->Background) != 0;
}

} // namespace WinApi

HDC WINAPI GetDC(HWND hWnd) {
    auto window = WinApi::LookupWindow(hWnd);
    if (!window)
        return nullptr;
    return WinApi::CreateWindowDC(hWnd, window->Surface, nullptr);
}

// The DC is released even when its window is gone, so that none leaks.
int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    return WinApi::ReleaseWindowDC(hWnd, hDC) ? 1 : 0;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    using namespace WinApi;
    if (!lpPaint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto window = LookupWindow(hWnd);
    if (!window)
        return nullptr;
    RECT area{0, 0, 0, 0};
    bool erase = false;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        if (!window->Update.Empty()) {
            area = window->Update.Bounds;
            erase = window->Update.Erase;
        }
        window->Update.Clear();
    }
    HDC dc = CreateWindowDC(hWnd, window->Surface, &area);
    if (!dc)
        return nullptr;
    std::memset(lpPaint, 0, sizeof(*lpPaint));
    lpPaint->hdc = dc;
    lpPaint->rcPaint = area;
    if (erase) {
        if (window->ThreadId == GetCurrentThreadId())
            lpPaint->fErase =
                CallProcedure(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
        else
            lpPaint->fErase = TRUE;
    }
    return dc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint)
        return FALSE;
    WinApi::ReleaseWindowDC(hWnd, lpPaint->hdc);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    using namespace WinApi;
    auto window = LookupWindow(hWnd);
    if (!window)
        return FALSE;
    RECT bounds;
    bool erase = false;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        if (window->Update.Empty()) {
            if (lpRect)
                *lpRect = RECT{0, 0, 0, 0};
            return FALSE;
        }
        bounds = window->Update.Bounds;
        erase = bErase && window->Update.Erase;
    }
    if (lpRect)
        *lpRect = bounds;
    if (erase && window->ThreadId == GetCurrentThreadId()) {
        HDC dc = CreateWindowDC(hWnd, window->Surface, &bounds);
        const bool erased =
            dc && CallProcedure(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
        if (dc)
            ReleaseWindowDC(hWnd, dc);
        if (erased) {
            UserState& user = User();
            std::lock_guard guard(user.Lock);
            window->Update.Erase = false;
        }
    }
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (!hWnd) {
        // No window: every window on the desktop is to be drawn again.
        for (auto& [handle, window] : user.Windows)
            InvalidateLocked(user, *window, window->ClientArea(), bErase != FALSE);
        return TRUE;
    }
    auto window = WindowOf(user, hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    InvalidateLocked(user, *window, lpRect ? *lpRect : window->ClientArea(), bErase != FALSE);
    return TRUE;
}

// With a bounding rectangle for a region, validating part of it can only
// shrink the rectangle where a whole side is validated; otherwise the region
// stays as it is and a little more is painted than needed.
BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
    using namespace WinApi;
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto window = WindowOf(user, hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    UpdateRegion& update = window->Update;
    if (update.Empty())
        return TRUE;
    if (!lpRect) {
        update.Clear();
        return TRUE;
    }
    RECT& b = update.Bounds;
    const RECT& v = *lpRect;
    const bool fullWidth = v.left <= b.left && v.right >= b.right;
    const bool fullHeight = v.top <= b.top && v.bottom >= b.bottom;
    if (fullWidth && v.top <= b.top && v.bottom > b.top)
        b.top = v.bottom;
    else if (fullWidth && v.bottom >= b.bottom && v.top < b.bottom)
        b.bottom = v.top;
    else if (fullHeight && v.left <= b.left && v.right > b.left)
        b.left = v.right;
    else if (fullHeight && v.right >= b.right && v.left < b.right)
        b.right = v.left;
    if (update.Empty())
        update.Clear();
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    using namespace WinApi;
    auto window = LookupWindow(hWnd);
    if (!window)
        return FALSE;
    bool paint = false;
    {
        UserState& user = User();
        std::lock_guard guard(user.Lock);
        paint = window->Visible && !window->Destroying && !window->Update.Empty();
    }
    // From another thread the WM_PAINT that the owner's queue synthesises
    // does the same a moment later.
    if (paint && window->ThreadId == GetCurrentThreadId())
        CallProcedure(window, WM_PAINT, 0, 0);
    return TRUE;
}

// A rectangle drawn with the null pen leaves out its right column and bottom
// row, so it is drawn one larger each way to fill exactly *lprc.
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!lprc || !hbr)
        return 0;
    if (WinApi::IsEmpty(*lprc))
        return 1;
    HGDIOBJ oldBrush = SelectObject(hDC, hbr);
    if (!oldBrush || oldBrush == HGDI_ERROR)
        return 0;
    HGDIOBJ oldPen = SelectObject(hDC, GetStockObject(NULL_PEN));
    const BOOL filled = Rectangle(hDC, lprc->left, lprc->top, lprc->right + 1, lprc->bottom + 1);
    if (oldPen && oldPen != HGDI_ERROR)
        SelectObject(hDC, oldPen);
    SelectObject(hDC, oldBrush);
    return filled ? 1 : 0;
}
