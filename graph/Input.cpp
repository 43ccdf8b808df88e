// Input from the graph window. The queues are shared by the message thread,
// which fills them, and the program's thread, which empties them: both go
// through one critical section, and the filler sets an event that wakes the
// program's waits. Only the system's own primitives are used, so the same
// code serves every thread model the programs are built with.
#include "graph/Input.h"

#include "graph/OperationTable.h"

#include <deque>

namespace Graph {
namespace {

// A bounded queue: keys and clicks that nobody reads must not grow memory
// without end.
constexpr std::size_t MaxQueued = 256;

// The lock and the wake-up event live as long as the process: the message
// thread may still deliver a message while the program ends.
struct InputSync {
    CRITICAL_SECTION Lock;
    HANDLE Arrived = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    InputSync() { InitializeCriticalSection(&Lock); }
};

InputSync& Sync() {
    static InputSync* const sync = new InputSync;
    return *sync;
}

class InputLock {
public:
    InputLock() { EnterCriticalSection(&Sync().Lock); }
    ~InputLock() { LeaveCriticalSection(&Sync().Lock); }
    InputLock(const InputLock&) = delete;
    InputLock& operator=(const InputLock&) = delete;
};

void NotifyArrived() {
    SetEvent(Sync().Arrived);
}

// Waits until the condition holds under the lock, or, with a time limit,
// until the event is set once; the caller takes what arrived.
template <typename Condition>
void WaitUntil(Condition condition, DWORD milliseconds) {
    for (;;) {
        {
            InputLock hold;
            if (condition())
                return;
        }
        if (WaitForSingleObject(Sync().Arrived, milliseconds) == WAIT_TIMEOUT ||
            milliseconds != INFINITE)
            return;
    }
}
std::deque<char> Keys;
std::deque<MouseEventType> MouseEvents;
MouseEventType MouseNow;
bool Closed = false;

// Shift and Ctrl as their last key messages left them; Alt comes with each
// key message of its own.
bool ShiftHeld = false;
bool CtrlHeld = false;

// Extended codes of the cursor block (scan codes 71 to 83) with Ctrl and
// with Alt; 0 where the key has none.
constexpr std::uint8_t CtrlCursorCodes[13] = {119, 141, 132, 0,   115, 0,  116,
                                              0,   117, 145, 118, 146, 147};
constexpr std::uint8_t AltCursorCodes[13] = {151, 152, 153, 0,   155, 0,  157,
                                             0,   159, 160, 161, 162, 163};

// The extended code of a key that has no character, by the first of Alt,
// Ctrl and Shift that is held, or 0 for a key whose character follows in a
// character message. Plain keys give their scan code, except F11 and F12.
std::uint8_t ExtendedCode(WPARAM virtualKey, LPARAM lParam, bool alt) {
    const auto scanCode = static_cast<std::uint8_t>((lParam >> 16) & 0xFF);
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) {
        const int index = static_cast<int>(virtualKey - VK_F1);
        if (index >= 10)
            return static_cast<std::uint8_t>((alt         ? 139
                                              : CtrlHeld  ? 137
                                              : ShiftHeld ? 135
                                                          : 133) +
                                             index - 10);
        return static_cast<std::uint8_t>(alt         ? 104 + index
                                         : CtrlHeld  ? 94 + index
                                         : ShiftHeld ? 84 + index
                                                     : scanCode);
    }
    switch (virtualKey) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
        if (scanCode >= 71 && scanCode <= 83 && (alt || CtrlHeld)) {
            const std::uint8_t code = (alt ? AltCursorCodes : CtrlCursorCodes)[scanCode - 71];
            return code != 0 ? code : scanCode;
        }
        return scanCode;
    default:
        return 0;
    }
}

void EnsureInstalled() {
    if (CharMessageHandler.load() != GraphCharHandler ||
        MouseMessageHandler.load() != GraphMouseHandler)
        InstallGraphInput();
}

void PushKeys(std::initializer_list<char> codes) {
    {
        InputLock hold;
        if (Keys.size() + codes.size() > MaxQueued)
            return;
        Keys.insert(Keys.end(), codes);
    }
    NotifyArrived();
}

} // namespace

void InstallGraphInput() {
    {
        InputLock hold;
        Keys.clear();
        MouseEvents.clear();
        MouseNow = {};
        Closed = false;
    }
    CharMessageHandler = GraphCharHandler;
    MouseMessageHandler = GraphMouseHandler;
}

LRESULT CALLBACK GraphCharHandler(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
    case WM_SYSCHAR:
        PushKeys({static_cast<char>(wParam & 0xFF)});
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (wParam == VK_SHIFT)
            ShiftHeld = down;
        else if (wParam == VK_CONTROL)
            CtrlHeld = down;
        else if (down)
            if (const std::uint8_t code = ExtendedCode(wParam, lParam, message == WM_SYSKEYDOWN))
                PushKeys({'\0', static_cast<char>(code)});
        break;
    }
    case WM_CLOSE: {
        InputLock hold;
        Closed = true;
    }
        NotifyArrived();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CALLBACK GraphMouseHandler(HWND, UINT message, WPARAM, LPARAM lParam) {
    std::uint16_t button = 0;
    bool down = false;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        down = true;
        [[fallthrough]];
    case WM_LBUTTONUP:
        button = LeftButton;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        down = true;
        [[fallthrough]];
    case WM_RBUTTONUP:
        button = RightButton;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        down = true;
        [[fallthrough]];
    case WM_MBUTTONUP:
        button = MiddleButton;
        break;
    default:
        return 0;
    }
    {
        InputLock hold;
        MouseNow.X = static_cast<std::int16_t>(lParam & 0xFFFF);
        MouseNow.Y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
        MouseNow.Buttons = static_cast<std::uint16_t>(down ? MouseNow.Buttons | button
                                                           : MouseNow.Buttons & ~button);
        MouseNow.Down = down;
        if (MouseEvents.size() < MaxQueued)
            MouseEvents.push_back(MouseNow);
    }
    NotifyArrived();
    return 0;
}

bool GraphKeyPressed() {
    EnsureInstalled();
    InputLock hold;
    return !Keys.empty();
}

char GraphReadKey() {
    EnsureInstalled();
    WaitUntil([] { return !Keys.empty() || Closed; }, INFINITE);
    InputLock hold;
    if (Keys.empty())
        return '\x1B';
    const char key = Keys.front();
    Keys.pop_front();
    return key;
}

void GetMouseState(std::int16_t& x, std::int16_t& y, std::uint16_t& buttons) {
    EnsureInstalled();
    InputLock hold;
    x = MouseNow.X;
    y = MouseNow.Y;
    buttons = MouseNow.Buttons;
}

bool GetMouseEvent(MouseEventType& event) {
    EnsureInstalled();
    InputLock hold;
    if (MouseEvents.empty())
        return false;
    event = MouseEvents.front();
    MouseEvents.pop_front();
    return true;
}

bool GraphWindowClosed() {
    EnsureInstalled();
    InputLock hold;
    return Closed;
}

void WaitForGraphInput(DWORD milliseconds) {
    EnsureInstalled();
    WaitUntil([] { return !Keys.empty() || !MouseEvents.empty() || Closed; }, milliseconds);
}

} // namespace Graph
