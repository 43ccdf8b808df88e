// What the user does on a desktop, turned into posted messages and update
// regions. Desktops call these from their own threads; nothing here calls a
// window procedure or the desktop back. Events for a window that is gone or
// being destroyed are dropped, as the window is no longer on the screen.
#include "user/DesktopEvents.h"

#include "user/UserState.h"

namespace WinApi {
namespace {

// With the lock held: the window, if the user can still reach it.
std::shared_ptr<Window> Reachable(UserState& user, HWND handle) {
    auto window = WindowOf(user, handle);
    return window && !window->Destroying ? window : nullptr;
}

LPARAM KeyData(WORD scanCode, bool extended, bool alt, bool previouslyDown, bool up) {
    DWORD bits = 1; // repeat count
    bits |= static_cast<DWORD>(scanCode & 0xFF) << 16;
    if (extended)
        bits |= 1u << 24;
    if (alt)
        bits |= 1u << 29;
    if (previouslyDown)
        bits |= 1u << 30;
    if (up)
        bits |= 1u << 31;
    return static_cast<LPARAM>(bits);
}

class UserEvents : public DesktopEvents {
public:
    void CloseRequest(HWND window) override;
    void Exposed(HWND window, const RECT& area) override;
    void Resized(HWND window, int clientWidth, int clientHeight) override;
    void Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
             bool alt) override;
    void Char(HWND window, BYTE character, WORD scanCode, bool alt) override;
    void MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                     WPARAM keyState) override;
};

void UserEvents::CloseRequest(HWND window) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (auto target = Reachable(user, window))
        PostToQueue(user, target->ThreadId, window, WM_CLOSE, 0, 0);
}

void UserEvents::Exposed(HWND window, const RECT& area) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (auto target = Reachable(user, window))
        InvalidateLocked(user, *target, area, true);
}

void UserEvents::Resized(HWND window, int clientWidth, int clientHeight) {
    UserState& user = User();
    std::shared_ptr<Window> target;
    {
        std::lock_guard guard(user.Lock);
        target = Reachable(user, window);
    }
    if (!target || clientWidth < 0 || clientHeight < 0)
        return;
    std::function<void()> wake;
    {
        std::lock_guard surfaceGuard(target->Surface->Lock);
        target->Surface->Resize(clientWidth, clientHeight, 0);
        wake = target->Surface->Wake;
    }
    {
        std::lock_guard guard(user.Lock);
        const int oldWidth = target->ClientWidth();
        const int oldHeight = target->ClientHeight();
        const int dx = clientWidth - oldWidth;
        const int dy = clientHeight - oldHeight;
        target->Client.right += dx;
        target->Client.bottom += dy;
        target->Outer.right += dx;
        target->Outer.bottom += dy;
        const UINT classStyle = target->Class->Style;
        if ((dx != 0 && (classStyle & CS_HREDRAW)) || (dy != 0 && (classStyle & CS_VREDRAW))) {
            InvalidateLocked(user, *target, target->ClientArea(), true);
        } else {
            // Without the redraw styles only what the new size uncovered.
            if (dx > 0)
                InvalidateLocked(user, *target, {oldWidth, 0, clientWidth, clientHeight}, true);
            if (dy > 0)
                InvalidateLocked(user, *target, {0, oldHeight, clientWidth, clientHeight}, true);
        }
        PostToQueue(user, target->ThreadId, window, WM_SIZE,
                    target->Maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                    MAKELPARAM(clientWidth, clientHeight));
    }
    if (wake)
        wake();
}

void UserEvents::Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
                     bool alt) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto target = Reachable(user, window);
    if (!target)
        return;
    bool& keyDown = user.KeysDown[virtualKey & 0xFF];
    // A key-down while the key is already down is the keyboard repeating it.
    const bool previouslyDown = down ? keyDown : true;
    keyDown = down;
    const UINT message =
        alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    PostToQueue(user, target->ThreadId, window, message, virtualKey,
                KeyData(scanCode, extended, alt, previouslyDown, !down));
}

void UserEvents::Char(HWND window, BYTE character, WORD scanCode, bool alt) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto target = Reachable(user, window);
    if (!target)
        return;
    PostToQueue(user, target->ThreadId, window, alt ? WM_SYSCHAR : WM_CHAR, character,
                KeyData(scanCode, false, alt, false, false));
}

void UserEvents::MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                             WPARAM keyState) {
    UINT first = 0;
    switch (button) {
    case 1:
        first = WM_LBUTTONDOWN;
        break;
    case 2:
        first = WM_MBUTTONDOWN;
        break;
    case 3:
        first = WM_RBUTTONDOWN;
        break;
    default:
        return;
    }
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto target = Reachable(user, window);
    if (!target)
        return;
    // Only a class that asks for double clicks gets them; others see a
    // second button-down, as on Windows.
    UINT message = first + 1;
    if (down)
        message = doubleClick && (target->Class->Style & CS_DBLCLKS) ? first + 2 : first;
    user.LastCursor = {target->Client.left + x, target->Client.top + y};
    PostToQueue(user, target->ThreadId, window, message, keyState, MAKELPARAM(x, y));
}

} // namespace

DesktopEvents& UserDesktopEvents() {
    // Never destroyed: desktop threads may report until the process ends.
    static UserEvents* events = new UserEvents;
    return *events;
}

} // namespace WinApi
