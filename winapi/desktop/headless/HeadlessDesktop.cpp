// The headless desktop's screen, windows and the user's actions on them.
#include "desktop/headless/HeadlessDesktop.h"

#include "gdi/TestRefusals.h"

#include <algorithm>
#include <cstdio>

namespace WinApi {

HeadlessDesktop::HeadlessDesktop(int width, int height, int taskbarHeight) {
    ForgetRefusals();
    ScreenSize.Width = width;
    ScreenSize.Height = height;
    ScreenSize.WorkArea = {0, 0, width, height - taskbarHeight};
}

HeadlessDesktop::HeadlessDesktop(const ScreenInfo& screen) : ScreenSize(screen) {
    ForgetRefusals();
}

// A new desktop is a fresh display: what a test refused before is back.
void HeadlessDesktop::ForgetRefusals() {
    TestRefusals::ClassRegistration.store(false);
    TestRefusals::Bitmaps.store(false);
}

bool HeadlessDesktop::Available() {
    std::lock_guard guard(Lock);
    return IsAvailable;
}

ScreenInfo HeadlessDesktop::Screen() {
    std::lock_guard guard(Lock);
    return ScreenSize;
}

bool HeadlessDesktop::AddWindow(HWND window, const WindowInfo& info,
                                std::shared_ptr<ClientSurface> surface) {
    std::lock_guard guard(Lock);
    if (!IsAvailable || !AcceptWindows || !surface || Entries.count(window))
        return false;
    Entries[window] = Entry{info, std::move(surface), NextOrder++};
    return true;
}

void HeadlessDesktop::ShowWindow(HWND window, bool visible) {
    std::lock_guard guard(Lock);
    auto it = Entries.find(window);
    if (it != Entries.end())
        it->second.Info.Visible = visible;
}

void HeadlessDesktop::WindowChanged(HWND window, const WindowInfo& info) {
    std::lock_guard guard(Lock);
    auto it = Entries.find(window);
    if (it != Entries.end())
        it->second.Info = info;
}

void HeadlessDesktop::RemoveWindow(HWND window) {
    std::lock_guard guard(Lock);
    Entries.erase(window);
}

int HeadlessDesktop::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    std::lock_guard guard(Lock);
    Boxes.push_back(MessageBoxRecord{owner, text ? text : "", caption ? caption : "", type});
    if (BoxesOnStandardError) {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
        std::fflush(stderr);
    }
    return BoxAnswer;
}

void HeadlessDesktop::ShowMessageBoxesOnStandardError() {
    std::lock_guard guard(Lock);
    BoxesOnStandardError = true;
}

void HeadlessDesktop::SetAvailable(bool available) {
    std::lock_guard guard(Lock);
    IsAvailable = available;
}

void HeadlessDesktop::SetAllowClassRegistration(bool allow) {
    TestRefusals::ClassRegistration.store(!allow);
}

void HeadlessDesktop::SetAcceptWindows(bool accept) {
    std::lock_guard guard(Lock);
    AcceptWindows = accept;
}

void HeadlessDesktop::SetAllowBitmaps(bool allow) {
    TestRefusals::Bitmaps.store(!allow);
}

std::vector<HWND> HeadlessDesktop::Windows() {
    std::lock_guard guard(Lock);
    std::vector<std::pair<std::uint64_t, HWND>> ordered;
    for (const auto& [window, entry] : Entries)
        ordered.emplace_back(entry.Order, window);
    std::sort(ordered.begin(), ordered.end());
    std::vector<HWND> windows;
    for (const auto& [order, window] : ordered)
        windows.push_back(window);
    return windows;
}

std::optional<WindowInfo> HeadlessDesktop::Info(HWND window) {
    std::lock_guard guard(Lock);
    auto it = Entries.find(window);
    if (it == Entries.end())
        return std::nullopt;
    return it->second.Info;
}

std::shared_ptr<ClientSurface> HeadlessDesktop::SurfaceOf(HWND window) {
    std::lock_guard guard(Lock);
    auto it = Entries.find(window);
    return !Connected() || it == Entries.end() ? nullptr : it->second.Surface;
}

bool HeadlessDesktop::Has(HWND window) {
    std::lock_guard guard(Lock);
    return Connected() && Entries.count(window) != 0;
}

bool HeadlessDesktop::Close(HWND window) {
    if (!Has(window))
        return false;
    Events().CloseRequest(window);
    return true;
}

bool HeadlessDesktop::Cover(HWND window, const RECT& area) {
    auto surface = SurfaceOf(window);
    if (!surface)
        return false;
    bool wake = false;
    {
        std::lock_guard guard(surface->Lock);
        surface->Covered.push_back(area);
        const int left = std::max<int>(area.left, 0);
        const int top = std::max<int>(area.top, 0);
        const int right = std::min<int>(area.right, surface->Width);
        const int bottom = std::min<int>(area.bottom, surface->Height);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                surface->At(x, y) = CoveringPixel;
        if (left < right && top < bottom)
            wake = surface->MarkDirty({left, top, right, bottom});
    }
    if (wake && surface->Wake)
        surface->Wake();
    return true;
}

bool HeadlessDesktop::Uncover(HWND window, const RECT& area) {
    auto surface = SurfaceOf(window);
    if (!surface)
        return false;
    {
        std::lock_guard guard(surface->Lock);
        auto& covered = surface->Covered;
        auto it = std::find_if(covered.begin(), covered.end(), [&](const RECT& r) {
            return r.left == area.left && r.top == area.top && r.right == area.right &&
                   r.bottom == area.bottom;
        });
        if (it == covered.end())
            return false;
        covered.erase(it);
    }
    Events().Exposed(window, area);
    return true;
}

bool HeadlessDesktop::Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
                          bool alt) {
    if (!Has(window))
        return false;
    Events().Key(window, down, virtualKey, scanCode, extended, alt);
    return true;
}

bool HeadlessDesktop::Char(HWND window, BYTE character, WORD scanCode, bool alt) {
    if (!Has(window))
        return false;
    Events().Char(window, character, scanCode, alt);
    return true;
}

bool HeadlessDesktop::PressKey(HWND window, WORD virtualKey, WORD scanCode, BYTE character,
                               bool extended, bool alt) {
    if (!Key(window, true, virtualKey, scanCode, extended, alt))
        return false;
    if (character != 0)
        Char(window, character, scanCode, alt);
    Key(window, false, virtualKey, scanCode, extended, alt);
    return true;
}

bool HeadlessDesktop::MouseButton(HWND window, int button, bool down, int x, int y, WPARAM keyState,
                                  bool doubleClick) {
    if (!Has(window))
        return false;
    Events().MouseButton(window, button, down, doubleClick, x, y, keyState);
    return true;
}

bool HeadlessDesktop::Resize(HWND window, int clientWidth, int clientHeight) {
    {
        std::lock_guard guard(Lock);
        auto it = Entries.find(window);
        if (!Connected() || it == Entries.end())
            return false;
        RECT& client = it->second.Info.Client;
        RECT& outer = it->second.Info.Outer;
        const int dx = clientWidth - (client.right - client.left);
        const int dy = clientHeight - (client.bottom - client.top);
        client.right += dx;
        client.bottom += dy;
        outer.right += dx;
        outer.bottom += dy;
    }
    Events().Resized(window, clientWidth, clientHeight);
    return true;
}

std::optional<HeadlessDesktop::Pixels> HeadlessDesktop::ClientPixels(HWND window) {
    auto surface = SurfaceOf(window);
    if (!surface)
        return std::nullopt;
    std::lock_guard guard(surface->Lock);
    return Pixels{
        surface->Width, surface->Height, {surface->Pixels.begin(), surface->Pixels.end()}};
}

COLORREF HeadlessDesktop::ClientPixel(HWND window, int x, int y) {
    auto surface = SurfaceOf(window);
    if (!surface)
        return CLR_INVALID;
    std::lock_guard guard(surface->Lock);
    if (!surface->Contains(x, y))
        return CLR_INVALID;
    return ColorRefFromPixel(surface->At(x, y));
}

std::vector<HeadlessDesktop::MessageBoxRecord> HeadlessDesktop::MessageBoxes() {
    std::lock_guard guard(Lock);
    return Boxes;
}

void HeadlessDesktop::SetMessageBoxAnswer(int answer) {
    std::lock_guard guard(Lock);
    BoxAnswer = answer;
}

} // namespace WinApi
