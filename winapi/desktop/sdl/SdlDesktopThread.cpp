#include "desktop/sdl/SdlDesktopThread.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>
#include <xmmintrin.h>

namespace WinApi {
namespace {

constexpr unsigned MxcsrDefault = 0x1F80; // all exceptions masked, round to nearest

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

} // namespace

SdlWakeChannel::SdlWakeChannel() : Doorbell(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SdlWakeChannel::~SdlWakeChannel() {
    if (Doorbell >= 0)
        ::close(Doorbell);
}

void SdlWakeChannel::Open(Uint32 eventType) {
    std::lock_guard<std::mutex> lock(Lock);
    EventType = eventType;
    IsOpen = true;
}

void SdlWakeChannel::Close() {
    std::lock_guard<std::mutex> lock(Lock);
    IsOpen = false;
}

void SdlWakeChannel::Wake() {
    {
        std::lock_guard<std::mutex> lock(Lock);
        if (!IsOpen)
            return;
        SDL_Event event{};
        event.type = EventType;
        // A full queue already holds a wake.
        SDL_PushEvent(&event);
    }
    Ring();
}

void SdlWakeChannel::Ring() {
    std::uint64_t one = 1;
    // Fails only when the counter is full, and then it is rung already.
    [[maybe_unused]] ssize_t written = ::write(Doorbell, &one, sizeof one);
}

void SdlWakeChannel::Answer() {
    std::uint64_t rings = 0;
    [[maybe_unused]] ssize_t got = ::read(Doorbell, &rings, sizeof rings);
}

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
    std::lock_guard<std::mutex> lock(surface->Lock);
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
        WakeEventType = video.Started ? SDL_RegisterEvents(1) : static_cast<Uint32>(-1);
        if (WakeEventType != static_cast<Uint32>(-1)) {
            Channel->Open(WakeEventType);
            RefreshScreen();
            started.set_value(true);
            while (!Quitting) {
                WaitForWork();
                RunRequests();
                PresentWhenDue();
            }
            Channel->Close();
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
    int timeout = WaitTimeout();
    // A display that is not X has no descriptor to watch: look every 10 ms.
    if (DisplayDescriptor < 0 && !Windows.empty() && (timeout < 0 || timeout > 10))
        timeout = 10;
    ::poll(waits, count, timeout);
    Channel->Answer();
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

// Until the next frame when something waits to be presented; otherwise
// until the doorbell rings or the display has news.
int SdlDesktopThread::WaitTimeout() const {
    if (!PresentPending)
        return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(NextFrame - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000));
}

void SdlDesktopThread::Handle(const SDL_Event& event) {
    if (event.type == WakeEventType) {
        PresentPending = true;
    } else if (event.type == SDL_WINDOWEVENT) {
        HandleWindowEvent(event.window);
    } else if (event.type == SDL_DISPLAYEVENT) {
        RefreshScreen();
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
        if (width != RectWidth(client) || height != RectHeight(client)) {
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
        answer = ShowMessageBox(request);
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

} // namespace WinApi
