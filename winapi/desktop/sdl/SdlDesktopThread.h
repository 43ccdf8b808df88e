// The desktop thread: the one thread that calls SDL, like a compositor.
//
// It starts SDL, then owns the SDL windows, one per top-level window that
// user32 shows. Other threads never touch SDL objects: they put a request in
// the queue and wake the thread; requests whose answer matters (creating a
// window, which can fail; a message box) wait for it.
//
// Drawing threads meet the desktop only on a window's client surface: they
// change pixels and Dirty under its Lock and call Wake when Dirty stops being
// empty, which only marks and rings the desktop's doorbell. The thread
// presents a frame at once when woken a frame time or more after the last
// present, otherwise when that frame time ends. The frame time is 15 ms, a
// little under a 60 Hz display's frame, so that a pixel drawn just after a
// present is on the screen, presentation included, within 16.7 ms. It takes each window's dirty part under
// the surface's Lock (copying it into the SDL window surface unless the
// client surface draws in that surface's memory, see SdlPresent.h) and
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
//
// Another program may destroy one of our windows on the display: the thread
// then reports a close request, as for the close box, and presents the window
// no more; the X errors that SDL's later requests about it make are ignored.
// A window surface that the display cannot hold directly (a 30-bit visual)
// goes through a texture; where there is no window surface at all (8 bits),
// creating the window fails, with SDL's reason on standard error.
#pragma once

#include "desktop/Desktop.h"
#include "desktop/sdl/SdlInput.h"
#include "desktop/sdl/SdlWakeChannel.h"

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_video.h>

#include <chrono>
#include <ctime>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace WinApi {

class SdlDesktopThread {
public:
    explicit SdlDesktopThread(DesktopEvents& events) : Events(events), Input(events) {}
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
        ShownWindow() = default;
        // A client surface that a window device context still holds must not
        // draw in the memory that the SDL window takes with it.
        ~ShownWindow();
        ShownWindow(const ShownWindow&) = delete;
        ShownWindow& operator=(const ShownWindow&) = delete;

        HWND Handle = nullptr;
        NativeWindow Native;
        std::shared_ptr<ClientSurface> Surface;
        WindowInfo Info; // as user32 last described it
        // Owned by the SDL window, and invalid once its size changes.
        SDL_Surface* Target = nullptr;
        // The pixels of the window surface last fetched, which SDL frees when
        // it makes a new one or destroys the window.
        void* TargetMemory = nullptr;
        bool Visible = false;
        bool Whole = true;          // the next frame copies the whole client surface
        unsigned long NativeId = 0; // the display's own id of the window
        bool Gone = false;          // destroyed on the display by someone else
    };

    using Clock = std::chrono::steady_clock;

    std::future<int> Submit(Request request);
    void Run(std::promise<bool>& started);
    void WaitForWork();
    void TakeEvents();
    bool RequestsWaiting();
    bool WaitTimeout(timespec& timeout) const;
    void Handle(const SDL_Event& event);
    void HandleWindowEvent(const SDL_WindowEvent& event);
    void RunRequests();
    void Execute(Request& request);
    bool CreateNative(const Request& request);
    void Change(ShownWindow& shown, const WindowInfo& info);
    void ReportPlacement(const ShownWindow& shown, const WindowInfo& asked);
    void Show(ShownWindow& shown, bool visible);
    void PresentWhenDue();
    bool Present(ShownWindow& shown);
    static SDL_Surface* FetchTarget(ShownWindow& shown);
    void RefreshScreen();
    void ChooseFramebuffer();
    void Vanished(unsigned long nativeId);
    ShownWindow* Find(Uint32 windowId);
    ShownWindow* Find(HWND window);

    DesktopEvents& Events;
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
    int DisplayDescriptor = -1;            // once the first window has told it
    bool Quitting = false;
    bool PresentPending = false;
    bool TextureFramebuffer = false; // window surfaces go through a texture
    Clock::time_point NextFrame{};
};

} // namespace WinApi
