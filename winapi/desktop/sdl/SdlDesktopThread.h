// The desktop thread: the one thread that calls SDL, like a compositor.
//
// It starts SDL, then owns the SDL windows, one per top-level window that
// user32 shows. Other threads never touch SDL objects: they put a request in
// the queue and wake the thread; requests whose answer matters (creating a
// window, which can fail; a message box) wait for it.
//
// Drawing threads meet the desktop only on a window's client surface: they
// change pixels and Dirty under its Lock and call Wake when Dirty stops being
// empty, which only pushes the desktop's SDL event and rings its doorbell.
// The thread presents at most 60 frames a second: it copies each window's
// dirty part under the surface's Lock into the SDL window surface and
// updates the screen once per window and frame.
//
// The thread never waits inside SDL_WaitEvent: while it waits there, SDL 2.26
// answers an SDL_PushEvent from another thread with an X message to one of
// the windows, which the desktop thread may be destroying at that moment, and
// the X error that follows ends the process. It waits in poll() on the
// display connection and its own doorbell instead, and takes SDL's events
// with SDL_PollEvent, so that SDL never sends such a message.
//
// A message box is modal on this thread: while it is up, no window is
// presented and no request is answered.
#pragma once

#include "desktop/Desktop.h"
#include "desktop/sdl/SdlEventSink.h"
#include "desktop/sdl/SdlInput.h"

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_video.h>

#include <chrono>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace WinApi {

// Wakes the desktop thread from any thread. A wake from drawing pushes the
// desktop's own SDL event (once SDL has started and until it stops) and rings
// a doorbell, an eventfd that the desktop thread waits on; a request only
// rings. Shared with every surface's Wake, so it outlives the desktop.
class SdlWakeChannel {
public:
    SdlWakeChannel();
    ~SdlWakeChannel();
    SdlWakeChannel(const SdlWakeChannel&) = delete;
    SdlWakeChannel& operator=(const SdlWakeChannel&) = delete;

    void Open(Uint32 eventType);
    void Close();
    void Wake();
    void Ring();
    // For poll(); readable while a ring is unanswered.
    int Descriptor() const { return Doorbell; }
    void Answer();

private:
    std::mutex Lock;
    bool IsOpen = false;
    Uint32 EventType = 0;
    int Doorbell = -1;
};

class SdlDesktopThread {
public:
    explicit SdlDesktopThread(SdlEventSink& events) : Events(events), Input(events) {}
    // Ends the thread, its windows and SDL.
    ~SdlDesktopThread();
    SdlDesktopThread(const SdlDesktopThread&) = delete;
    SdlDesktopThread& operator=(const SdlDesktopThread&) = delete;

    // Starts the thread and SDL on it; false when SDL cannot show windows
    // (no display), and the thread has ended then. Called once.
    bool Start();

    ScreenInfo Screen();
    bool AddWindow(HWND window, const WindowInfo& info, std::shared_ptr<ClientSurface> surface);
    void ShowWindow(HWND window, bool visible);
    void WindowChanged(HWND window, const WindowInfo& info);
    void RemoveWindow(HWND window);
    // The button pressed, or 0 when no box could be shown.
    int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

private:
    struct Request {
        enum class Kind { Add, Show, Change, Remove, MessageBox, Quit };
        Kind What = Kind::Quit;
        HWND Window = nullptr;
        WindowInfo Info;
        std::shared_ptr<ClientSurface> Surface;
        bool Visible = false;
        std::string Text;
        std::string Caption;
        UINT Type = 0;
        std::promise<int> Answer;
    };

    struct WindowDeleter {
        void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
    };
    using NativeWindow = std::unique_ptr<SDL_Window, WindowDeleter>;

    struct ShownWindow {
        HWND Handle = nullptr;
        NativeWindow Native;
        std::shared_ptr<ClientSurface> Surface;
        WindowInfo Info; // as user32 last described it
        // Owned by the SDL window, and invalid once its size changes.
        SDL_Surface* Target = nullptr;
        bool Visible = false;
        bool Whole = true; // the next frame copies the whole client surface
    };

    using Clock = std::chrono::steady_clock;

    static int RectWidth(const RECT& r) { return r.right - r.left; }
    static int RectHeight(const RECT& r) { return r.bottom - r.top; }

    std::future<int> Submit(Request request);
    void Run(std::promise<bool>& started);
    void WaitForWork();
    void TakeEvents();
    bool RequestsWaiting();
    int WaitTimeout() const;
    void Handle(const SDL_Event& event);
    void HandleWindowEvent(const SDL_WindowEvent& event);
    void RunRequests();
    void Execute(Request& request);
    bool CreateNative(const Request& request);
    void Change(ShownWindow& shown, const WindowInfo& info);
    void ReportPlacement(const ShownWindow& shown, const WindowInfo& asked);
    void Show(ShownWindow& shown, bool visible);
    int ShowMessageBox(const Request& request);
    void PresentWhenDue();
    bool Present(ShownWindow& shown);
    void RefreshScreen();
    SDL_Rect Placement(const WindowInfo& info) const;
    ShownWindow* Find(Uint32 windowId);
    ShownWindow* Find(HWND window);

    SdlEventSink& Events;
    std::thread Worker;
    std::thread::id WorkerId;
    std::shared_ptr<SdlWakeChannel> Channel = std::make_shared<SdlWakeChannel>();

    std::mutex QueueLock;
    std::deque<Request> Queue;
    bool Ended = false; // the thread takes no more requests

    std::mutex ScreenLock;
    ScreenInfo CurrentScreen; // written by the desktop thread alone

    // Desktop thread only, from here on.
    SdlInput Input;
    std::map<Uint32, ShownWindow> Windows; // by SDL window id
    Uint32 WakeEventType = 0;
    int DisplayDescriptor = -1; // once the first window has told it
    bool Quitting = false;
    bool PresentPending = false;
    Clock::time_point NextFrame{};
};

} // namespace WinApi
