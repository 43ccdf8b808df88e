// The desktop thread's windows: creating, changing and showing them,
// presenting their client surfaces, and the message box.
#include "desktop/sdl/SdlDesktopThread.h"

#include "desktop/sdl/SdlConnection.h"
#include "desktop/sdl/SdlKeys.h"
#include "desktop/sdl/SdlPresent.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

namespace WinApi {
namespace {

constexpr auto FrameTime = std::chrono::microseconds(1000000 / 60);

} // namespace

void SdlDesktopThread::ReportPlacement(const ShownWindow& shown, const WindowInfo& asked) {
    const RECT& got = shown.Info.Client;
    if (RectWidth(got) != RectWidth(asked.Client) || RectHeight(got) != RectHeight(asked.Client))
        Events.Resized(shown.Handle, RectWidth(got), RectHeight(got));
}

bool SdlDesktopThread::CreateNative(const Request& request) {
    SDL_Rect place = Placement(request.Info);
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
    if (DisplayDescriptor < 0)
        DisplayDescriptor = DisplayConnectionDescriptor(native.get());
    Uint32 id = SDL_GetWindowID(native.get());
    ShownWindow& shown = Windows[id];
    shown.Handle = request.Window;
    shown.Native = std::move(native);
    shown.Surface = request.Surface;
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
    SDL_Rect place = Placement(info);
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

int SdlDesktopThread::ShowMessageBox(const Request& request) {
    struct Choice {
        int Id;
        const char* Text;
    };
    std::vector<Choice> choices;
    switch (request.Type & 0x0F) {
    case MB_OKCANCEL:
        choices = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        choices = {{IDYES, "Yes"}, {IDNO, "No"}};
        break;
    default:
        choices = {{IDOK, "OK"}};
        break;
    }
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const Choice& choice : choices)
        buttons.push_back({0, choice.Id, choice.Text});
    buttons.front().flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    buttons.back().flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;

    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (request.Type & 0xF0) {
    case MB_ICONERROR:
        flags |= SDL_MESSAGEBOX_ERROR;
        break;
    case MB_ICONWARNING:
        flags |= SDL_MESSAGEBOX_WARNING;
        break;
    case MB_ICONINFORMATION:
    case MB_ICONQUESTION:
        flags |= SDL_MESSAGEBOX_INFORMATION;
        break;
    default:
        break;
    }
    std::string caption = Utf8FromAnsi(request.Caption);
    std::string text = Utf8FromAnsi(request.Text);
    ShownWindow* owner = Find(request.Window);
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = owner ? owner->Native.get() : nullptr;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(buttons.size());
    box.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        return 0;
    // Closing the box answers as its Escape button does.
    return pressed >= 0 ? pressed : choices.back().Id;
}

void SdlDesktopThread::PresentWhenDue() {
    Clock::time_point now = Clock::now();
    if (now < NextFrame)
        return;
    bool presented = false;
    for (auto& [id, shown] : Windows)
        presented |= Present(shown);
    PresentPending = false;
    if (presented)
        NextFrame = now + FrameTime;
}

bool SdlDesktopThread::Present(ShownWindow& shown) {
    if (!shown.Visible)
        return false;
    if (!shown.Target) {
        shown.Target = SDL_GetWindowSurface(shown.Native.get());
        if (!shown.Target)
            return false;
        shown.Whole = true;
    }
    SDL_Rect area;
    bool whole = shown.Whole;
    shown.Whole = false;
    if (!TakeDirty(*shown.Surface, shown.Target, whole, area))
        return false;
    SDL_UpdateWindowSurfaceRects(shown.Native.get(), &area, 1);
    return true;
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

SDL_Rect SdlDesktopThread::Placement(const WindowInfo& info) const {
    SDL_Rect place{info.Client.left, info.Client.top, std::max(1, RectWidth(info.Client)),
                   std::max(1, RectHeight(info.Client))};
    if (!info.Maximized)
        return place;
    // SDL cannot maximise without a window manager: the client area keeps to
    // the work area itself.
    RECT work = CurrentScreen.WorkArea;
    int left = std::max(place.x, static_cast<int>(work.left));
    int top = std::max(place.y, static_cast<int>(work.top));
    int right = std::min(place.x + place.w, static_cast<int>(work.right));
    int bottom = std::min(place.y + place.h, static_cast<int>(work.bottom));
    if (left >= right || top >= bottom)
        return {work.left, work.top, std::max(1, RectWidth(work)), std::max(1, RectHeight(work))};
    return {left, top, right - left, bottom - top};
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
