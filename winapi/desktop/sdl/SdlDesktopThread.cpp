#include "desktop/sdl/SdlDesktopThread.h"

#include "desktop/sdl/SdlConnection.h"
#include "desktop/sdl/SdlKeys.h"
#include "desktop/sdl/SdlMessageBox.h"
#include "desktop/sdl/SdlPresent.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cfenv>
#include <cstdio>
#include <poll.h>
#include <system_error>
#include <xmmintrin.h>

namespace WinApi {
namespace {

constexpr unsigned MxcsrDefault = 0x1F80; // all exceptions masked, round to nearest
// Leaves 1.7 ms of a 60 Hz frame for copying the dirty part and for the X
// server to show it.
constexpr auto FrameTime = std::chrono::microseconds(15000);

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Program threads run with floating-point exceptions unmasked, and a new
// thread inherits its creator's environment; SDL and the X libraries expect
// the default one.
void UseDefaultFloatingPoint() {
    std::fesetenv(FE_DFL_ENV);
    _mm_setcsr(MxcsrDefault);
}

void SetHints() {
    // SIGINT and SIGTERM keep their usual meaning instead of becoming SDL_QUIT.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Window surfaces stay plain shared memory instead of going through OpenGL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Without a display there is no desktop: SDL must not take over a text
    // console's screen through the kernel's mode setting instead. The
    // SDL_VIDEODRIVER environment variable still chooses otherwise.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // A Windows program neither keeps the screen saver away nor loses the
    // click that activates its window.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
}

// SDL's video subsystem, quit on every way out of the thread.
class SdlVideo {
public:
    SdlVideo() : Started(SDL_Init(SDL_INIT_VIDEO) == 0) {}
    ~SdlVideo() { SDL_Quit(); }
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;

    const bool Started;
};

// Where the SDL window goes, its client area in screen coordinates. SDL
// cannot maximise without a window manager: a maximised client area keeps to
// the work area itself.
SDL_Rect ClientPlacement(const WindowInfo& info, const RECT& work) {
    SDL_Rect place{info.Client.left, info.Client.top, std::max(1, Width(info.Client)),
                   std::max(1, Height(info.Client))};
    if (!info.Maximized)
        return place;
    int left = std::max(place.x, static_cast<int>(work.left));
    int top = std::max(place.y, static_cast<int>(work.top));
    int right = std::min(place.x + place.w, static_cast<int>(work.right));
    int bottom = std::min(place.y + place.h, static_cast<int>(work.bottom));
    if (left >= right || top >= bottom)
        return {work.left, work.top, std::max(1, Width(work)), std::max(1, Height(work))};
    return {left, top, right - left, bottom - top};
}

} // namespace

SdlDesktopThread::~SdlDesktopThread() {
    if (!Worker.joinable())
        return;
    Request quit;
    quit.What = Request::Kind::Quit;
    Submit(std::move(quit));
    Worker.join();
}

bool SdlDesktopThread::Start() {
    std::promise<bool> started;
    std::future<bool> result = started.get_future();
    // A thread the system will not give (too many processes, too little
    // address space) is a desktop that cannot start, like one without a
    // display.
    try {
        Worker = std::thread([this, &started] { Run(started); });
    } catch (const std::system_error&) {
        return false;
    }
    bool running = result.get();
    // Without a display the thread ends at once: join it now rather than
    // leave a finished thread behind.
    if (!running && Worker.joinable())
        Worker.join();
    return running;
}

ScreenInfo SdlDesktopThread::Screen() {
    std::lock_guard<std::mutex> lock(ScreenLock);
    return CurrentScreen;
}

bool SdlDesktopThread::AddWindow(HWND window, const WindowInfo& info,
                                 std::shared_ptr<ClientSurface> surface) {
    Request request;
    request.What = Request::Kind::Add;
    request.Window = window;
    request.Info = info;
    request.Surface = surface;
    if (Submit(std::move(request)).get() == 0)
        return false;
    // Set once, before the window's first drawing, and never changed: the
    // drawing threads call it without the surface's Lock. After the window or
    // the desktop is gone it wakes nobody.
    std::lock_guard lock(surface->Lock);
    surface->Wake = [channel = Channel] { channel->Wake(); };
    return true;
}

void SdlDesktopThread::ShowWindow(HWND window, bool visible) {
    Request request;
    request.What = Request::Kind::Show;
    request.Window = window;
    request.Visible = visible;
    Submit(std::move(request));
}

void SdlDesktopThread::WindowChanged(HWND window, const WindowInfo& info) {
    Request request;
    request.What = Request::Kind::Change;
    request.Window = window;
    request.Info = info;
    Submit(std::move(request));
}

void SdlDesktopThread::RemoveWindow(HWND window) {
    Request request;
    request.What = Request::Kind::Remove;
    request.Window = window;
    Submit(std::move(request));
}

int SdlDesktopThread::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                                 UINT type) {
    Request request;
    request.What = Request::Kind::MessageBox;
    request.Window = owner;
    request.Text = text;
    request.Caption = caption;
    request.Type = type;
    return Submit(std::move(request)).get();
}

std::future<int> SdlDesktopThread::Submit(Request request) {
    std::future<int> answer = request.Answer.get_future();
    // The desktop thread itself may ask, from inside an event it reports:
    // waiting for its own answer would never end, so it answers at once.
    if (std::this_thread::get_id() == WorkerId &&
        (request.What == Request::Kind::Add || request.What == Request::Kind::MessageBox)) {
        Execute(request);
        return answer;
    }
    {
        std::lock_guard<std::mutex> lock(QueueLock);
        if (Ended) {
            request.Answer.set_value(0);
            return answer;
        }
        Queue.push_back(std::move(request));
    }
    Channel->Ring();
    return answer;
}

void SdlDesktopThread::Run(std::promise<bool>& started) {
    WorkerId = std::this_thread::get_id();
    UseDefaultFloatingPoint();
    SetHints();
    {
        SdlVideo video;
        if (video.Started) {
            SurviveDisplayErrors();
            ChooseFramebuffer();
            RefreshScreen();
            started.set_value(true);
            while (!Quitting) {
                WaitForWork();
                RunRequests();
                PresentWhenDue();
            }
            Windows.clear();
        } else {
            started.set_value(false);
        }
    }
    std::deque<Request> unanswered;
    {
        std::lock_guard<std::mutex> lock(QueueLock);
        Ended = true;
        unanswered.swap(Queue);
    }
    for (Request& request : unanswered)
        request.Answer.set_value(0);
}

void SdlDesktopThread::WaitForWork() {
    // SDL_PollEvent reads everything the display connection holds, so that
    // poll() below waits only for what is still to come.
    TakeEvents();
    if (RequestsWaiting())
        return;
    pollfd waits[2] = {{Channel->Descriptor(), POLLIN, 0}, {DisplayDescriptor, POLLIN, 0}};
    nfds_t count = DisplayDescriptor >= 0 ? 2 : 1;
    timespec timeout{};
    bool timed = WaitTimeout(timeout);
    // A display that is not X has no descriptor to watch: look every 10 ms.
    constexpr long Look = 10000000;
    if (DisplayDescriptor < 0 && !Windows.empty() &&
        (!timed || timeout.tv_sec > 0 || timeout.tv_nsec > Look)) {
        timeout = {0, Look};
        timed = true;
    }
    ::ppoll(waits, count, timed ? &timeout : nullptr, nullptr);
    if (Channel->Answer())
        PresentPending = true;
    TakeEvents();
}

void SdlDesktopThread::TakeEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Handle(event);
}

bool SdlDesktopThread::RequestsWaiting() {
    std::lock_guard<std::mutex> lock(QueueLock);
    return !Queue.empty();
}

// Until the next frame when something waits to be presented, to the
// microsecond; otherwise (false) until the doorbell rings or the display has
// news.
bool SdlDesktopThread::WaitTimeout(timespec& timeout) const {
    if (!PresentPending)
        return false;
    auto left = std::chrono::ceil<std::chrono::microseconds>(NextFrame - Clock::now()).count();
    left = std::clamp<long long>(left, 0, 1000000);
    timeout = {static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
    return true;
}

void SdlDesktopThread::Handle(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT) {
        HandleWindowEvent(event.window);
    } else if (event.type == SDL_DISPLAYEVENT) {
        RefreshScreen();
    } else if (event.type == SDL_SYSWMEVENT) {
        if (unsigned long destroyed = DestroyedWindowOf(event))
            Vanished(destroyed);
    } else if (SdlInput::Handles(event)) {
        if (ShownWindow* shown = Find(SdlInput::WindowId(event)))
            Input.Handle(event, shown->Handle);
    }
}

void SdlDesktopThread::HandleWindowEvent(const SDL_WindowEvent& event) {
    ShownWindow* shown = Find(event.windowID);
    if (!shown)
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        // SDL leaves the window alone: it goes when user32 removes it.
        Events.CloseRequest(shown->Handle);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // X keeps nothing of a hidden window; the client surface holds it all.
        shown->Whole = true;
        PresentPending = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        shown->Target = nullptr;
        shown->Whole = true;
        PresentPending = true;
        // Sizes that user32 asked for itself are no news to it.
        int width = event.data1;
        int height = event.data2;
        RECT& client = shown->Info.Client;
        if (width != Width(client) || height != Height(client)) {
            client.right = client.left + width;
            client.bottom = client.top + height;
            Events.Resized(shown->Handle, width, height);
        }
        break;
    }
    default:
        break;
    }
}

void SdlDesktopThread::RunRequests() {
    for (;;) {
        Request request;
        {
            std::lock_guard<std::mutex> lock(QueueLock);
            if (Queue.empty())
                return;
            request = std::move(Queue.front());
            Queue.pop_front();
        }
        Execute(request);
    }
}

void SdlDesktopThread::Execute(Request& request) {
    ShownWindow* shown = request.What == Request::Kind::Add ? nullptr : Find(request.Window);
    int answer = 0;
    switch (request.What) {
    case Request::Kind::Add:
        answer = CreateNative(request) ? 1 : 0;
        break;
    case Request::Kind::Show:
        if (shown)
            Show(*shown, request.Visible);
        break;
    case Request::Kind::Change:
        if (shown)
            Change(*shown, request.Info);
        break;
    case Request::Kind::Remove:
        if (shown)
            Windows.erase(SDL_GetWindowID(shown->Native.get()));
        break;
    case Request::Kind::MessageBox:
        answer = ShowMessageBox(shown ? shown->Native.get() : nullptr, request.Text,
                                request.Caption, request.Type);
        break;
    case Request::Kind::Quit:
        Quitting = true;
        break;
    }
    request.Answer.set_value(answer);
    // The work area may not hold all of a new window: its client area then
    // has the size that it got, and user32 hears of it once it has its answer.
    if (request.What == Request::Kind::Add && answer != 0)
        ReportPlacement(*Find(request.Window), request.Info);
}

void SdlDesktopThread::ReportPlacement(const ShownWindow& shown, const WindowInfo& asked) {
    const RECT& got = shown.Info.Client;
    if (Width(got) != Width(asked.Client) || Height(got) != Height(asked.Client))
        Events.Resized(shown.Handle, Width(got), Height(got));
}

bool SdlDesktopThread::CreateNative(const Request& request) {
    SDL_Rect place = ClientPlacement(request.Info, CurrentScreen.WorkArea);
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    flags |= request.Info.Visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    // A window manager maximises the window itself (and the new size comes
    // back as a resize); without one, the placement keeps it in the work area.
    if (request.Info.Maximized)
        flags |= SDL_WINDOW_MAXIMIZED;
    NativeWindow native(SDL_CreateWindow(Utf8FromAnsi(request.Info.Title).c_str(), place.x, place.y,
                                         place.w, place.h, flags));
    if (!native)
        return false;
    // A display that gives no surface to draw on could show nothing of the
    // window: better no window, and the reason said, than a black one.
    SDL_Surface* target = SDL_GetWindowSurface(native.get());
    if (!target) {
        std::fprintf(stderr, "Error: the display offers no surface to draw a window on (%s)\n",
                     SDL_GetError());
        std::fflush(stderr);
        return false;
    }
    if (DisplayDescriptor < 0)
        DisplayDescriptor = DisplayConnectionDescriptor(native.get());
    Uint32 id = SDL_GetWindowID(native.get());
    ShownWindow& shown = Windows[id];
    shown.Handle = request.Window;
    shown.NativeId = NativeWindowId(native.get());
    shown.Native = std::move(native);
    shown.Target = target;
    shown.TargetMemory = target->pixels;
    shown.Surface = request.Surface;
    // Before anything draws on it, so that its pixels never exist twice.
    if (!TextureFramebuffer)
        Lend(*shown.Surface, target);
    shown.Info = request.Info;
    shown.Visible = request.Info.Visible;
    shown.Info.Client.right = shown.Info.Client.left + place.w;
    shown.Info.Client.bottom = shown.Info.Client.top + place.h;
    if (shown.Visible)
        SDL_RaiseWindow(shown.Native.get());
    PresentPending = true;
    return true;
}

void SdlDesktopThread::Change(ShownWindow& shown, const WindowInfo& info) {
    SDL_Window* native = shown.Native.get();
    if (info.Title != shown.Info.Title)
        SDL_SetWindowTitle(native, Utf8FromAnsi(info.Title).c_str());
    SDL_Rect place = ClientPlacement(info, CurrentScreen.WorkArea);
    // The user may have moved the window since: only a move that user32
    // asked for moves it.
    if (info.Client.left != shown.Info.Client.left || info.Client.top != shown.Info.Client.top)
        SDL_SetWindowPosition(native, place.x, place.y);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(native, &width, &height);
    if (place.w != width || place.h != height) {
        SDL_SetWindowSize(native, place.w, place.h);
        shown.Target = nullptr;
        shown.Whole = true;
    }
    bool visible = info.Visible;
    shown.Info = info;
    shown.Info.Client.right = shown.Info.Client.left + place.w;
    shown.Info.Client.bottom = shown.Info.Client.top + place.h;
    if (visible != shown.Visible)
        Show(shown, visible);
    PresentPending = true;
    ReportPlacement(shown, info);
}

void SdlDesktopThread::Show(ShownWindow& shown, bool visible) {
    shown.Visible = visible;
    shown.Info.Visible = visible;
    if (!visible) {
        SDL_HideWindow(shown.Native.get());
        return;
    }
    SDL_ShowWindow(shown.Native.get());
    // Showing a window activates it on Windows.
    SDL_RaiseWindow(shown.Native.get());
    shown.Whole = true;
    PresentPending = true;
}

void SdlDesktopThread::PresentWhenDue() {
    Clock::time_point now = Clock::now();
    if (now < NextFrame)
        return;
    bool presented = false;
    for (auto& [id, shown] : Windows)
        presented |= Present(shown);
    PresentPending = false;
    // Frames keep to a grid, so that waking a little late for one frame does
    // not put off the next; after a pause the grid starts anew.
    if (presented)
        NextFrame = now - NextFrame < FrameTime ? NextFrame + FrameTime : now + FrameTime;
}

bool SdlDesktopThread::Present(ShownWindow& shown) {
    if (!shown.Visible || shown.Gone)
        return false;
    if (!shown.Target) {
        shown.Target = FetchTarget(shown);
        if (!shown.Target)
            return false;
        shown.Whole = true;
    }
    SDL_Rect area;
    bool whole = shown.Whole;
    shown.Whole = false;
    if (!TakeDirty(*shown.Surface, shown.Target, whole, !TextureFramebuffer, area))
        return false;
    SDL_UpdateWindowSurfaceRects(shown.Native.get(), &area, 1);
    return true;
}

// A window surface made anew frees the old one's memory: the client surface
// keeps its picture in memory of its own until it is lent the new one.
SDL_Surface* SdlDesktopThread::FetchTarget(ShownWindow& shown) {
    if (shown.TargetMemory) {
        TakeBackMemory(*shown.Surface, shown.TargetMemory, true);
        shown.TargetMemory = nullptr;
    }
    SDL_Surface* target = SDL_GetWindowSurface(shown.Native.get());
    if (target)
        shown.TargetMemory = target->pixels;
    return target;
}

SdlDesktopThread::ShownWindow::~ShownWindow() {
    if (Surface && TargetMemory)
        TakeBackMemory(*Surface, TargetMemory, false);
}

void SdlDesktopThread::RefreshScreen() {
    ScreenInfo screen;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        screen.Width = mode.w;
        screen.Height = mode.h;
    }
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0)
        screen.WorkArea = {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    else
        screen.WorkArea = {0, 0, screen.Width, screen.Height};
    std::lock_guard<std::mutex> lock(ScreenLock);
    CurrentScreen = screen;
}

// Where the display cannot hold our pixels in a window surface of its own
// (the X11 framebuffer knows only 16-, 24- and 32-bit visuals, not a 30-bit
// or 8-bit one), SDL shows the window surface through a texture instead,
// which converts on the way. Decided before the first window surface.
void SdlDesktopThread::ChooseFramebuffer() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.format == SDL_PIXELFORMAT_UNKNOWN) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "1");
        TextureFramebuffer = true;
    }
}

// Another program destroyed the window on the display: the user can no longer
// see or reach it, which is what closing it means. user32 hears the close
// request, and the window stays gone until user32 removes it.
void SdlDesktopThread::Vanished(unsigned long nativeId) {
    for (auto& [id, shown] : Windows)
        if (shown.NativeId == nativeId && !shown.Gone) {
            shown.Gone = true;
            shown.Target = nullptr;
            Events.CloseRequest(shown.Handle);
        }
}

SdlDesktopThread::ShownWindow* SdlDesktopThread::Find(Uint32 windowId) {
    auto found = Windows.find(windowId);
    return found == Windows.end() ? nullptr : &found->second;
}

SdlDesktopThread::ShownWindow* SdlDesktopThread::Find(HWND window) {
    for (auto& [id, shown] : Windows)
        if (shown.Handle == window)
            return &shown;
    return nullptr;
}

} // namespace WinApi
