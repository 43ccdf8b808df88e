// The headless desktop: a virtual screen in memory, for tests.
//
// It is a real desktop, not a stand-in that answers what a test wants: it
// keeps every window's information and client surface as user32 gives them,
// and a test acts on it as a user would (close box, covering part of a window
// with another, keys, mouse buttons, resizing). What the user does reaches
// the windows through the events sink it is connected to, exactly as from the
// SDL desktop. Message boxes are recorded instead of shown.
//
// Threads: any thread may call it. Its own lock is never held while it calls
// user32, so user32 may call it with or without its own state in use.
#pragma once

#include "desktop/Desktop.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace WinApi {

class HeadlessDesktop : public Desktop {
public:
    // A screen of this size with a taskbar of taskbarHeight pixels along the
    // bottom edge; the default is 1920 × 1080 with a 40-pixel taskbar.
    explicit HeadlessDesktop(int width = 1920, int height = 1080, int taskbarHeight = 40);
    // Any screen and work area, such as a taskbar along a side edge.
    explicit HeadlessDesktop(const ScreenInfo& screen);

    // Desktop
    bool Available() override;
    ScreenInfo Screen() override;
    bool AddWindow(HWND window, const WindowInfo& info,
                   std::shared_ptr<ClientSurface> surface) override;
    void ShowWindow(HWND window, bool visible) override;
    void WindowChanged(HWND window, const WindowInfo& info) override;
    void RemoveWindow(HWND window) override;
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;

    // What a test can make fail: the display as a whole, class registration,
    // the creation of windows, or the creation of bitmaps. Class registration
    // and bitmaps are refused process-wide, until allowed again or a new
    // headless desktop is made.
    void SetAvailable(bool available);
    void SetAllowClassRegistration(bool allow);
    void SetAcceptWindows(bool accept);
    void SetAllowBitmaps(bool allow);

    // The windows on the screen, in the order they appeared.
    std::vector<HWND> Windows();
    std::optional<WindowInfo> Info(HWND window);

    // The user's actions; false when the window is not on this desktop.
    bool Close(HWND window);
    // Another window in front now hides this part of the client area
    // (client coordinates), and shows its own colour there.
    bool Cover(HWND window, const RECT& area);
    // The window in front goes: a part given to Cover before is uncovered and
    // must be drawn again.
    bool Uncover(HWND window, const RECT& area);
    bool Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended = false,
             bool alt = false);
    bool Char(HWND window, BYTE character, WORD scanCode, bool alt = false);
    // A key pressed and released, with the character it types (0 for none)
    // between the two, as a keyboard delivers it.
    bool PressKey(HWND window, WORD virtualKey, WORD scanCode, BYTE character = 0,
                  bool extended = false, bool alt = false);
    bool MouseButton(HWND window, int button, bool down, int x, int y, WPARAM keyState = 0,
                     bool doubleClick = false);
    bool Resize(HWND window, int clientWidth, int clientHeight);

    // What the window's client area shows now.
    struct Pixels {
        int Width = 0;
        int Height = 0;
        std::vector<std::uint32_t> Values; // 0x00RRGGBB, row by row
    };
    std::optional<Pixels> ClientPixels(HWND window);
    // One pixel of the client area as a COLORREF, or CLR_INVALID outside it.
    COLORREF ClientPixel(HWND window, int x, int y);

    struct MessageBoxRecord {
        HWND Owner = nullptr;
        std::string Text;
        std::string Caption;
        UINT Type = 0;
    };
    std::vector<MessageBoxRecord> MessageBoxes();
    void SetMessageBoxAnswer(int answer);
    // For a program run on this desktop, where nobody reads the records: each
    // box's caption and text also go to standard error, as without a display.
    void ShowMessageBoxesOnStandardError();

    // 0x00RRGGBB, what a window in front shows where it covers another.
    static constexpr std::uint32_t CoveringPixel = 0x00C0C0C0;

private:
    struct Entry {
        WindowInfo Info;
        std::shared_ptr<ClientSurface> Surface;
        std::uint64_t Order = 0;
    };

    // The window's surface, if it is on this desktop.
    std::shared_ptr<ClientSurface> SurfaceOf(HWND window);
    bool Has(HWND window);
    static void ForgetRefusals();

    std::mutex Lock;
    ScreenInfo ScreenSize;
    bool IsAvailable = true;
    bool AcceptWindows = true;
    std::map<HWND, Entry> Entries;
    std::uint64_t NextOrder = 0;
    std::vector<MessageBoxRecord> Boxes;
    int BoxAnswer = IDOK;
    bool BoxesOnStandardError = false;
};

} // namespace WinApi
