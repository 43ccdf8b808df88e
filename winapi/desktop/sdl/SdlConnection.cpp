#include "desktop/sdl/SdlConnection.h"

#include <SDL2/SDL_syswm.h>

namespace WinApi {
namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
// A window destroyed by someone else makes BadWindow or BadDrawable errors
// for whatever SDL still asks about it; the desktop learns of its end from
// DestroyNotify instead, and no other error is worth ending the program for.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

bool OnX11(SDL_Window* window, SDL_SysWMinfo& info) {
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}
#endif

} // namespace

int DisplayConnectionDescriptor(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (OnX11(window, info))
        return ConnectionNumber(info.info.x11.display);
#else
    (void)window;
#endif
    return -1;
}

void SurviveDisplayErrors() {
#if defined(SDL_VIDEO_DRIVER_X11)
    XSetErrorHandler(IgnoreError);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
#endif
}

unsigned long NativeWindowId(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (OnX11(window, info))
        return info.info.x11.window;
#else
    (void)window;
#endif
    return 0;
}

unsigned long DestroyedWindowOf(const SDL_Event& event) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (event.type == SDL_SYSWMEVENT && event.syswm.msg &&
        event.syswm.msg->subsystem == SDL_SYSWM_X11 &&
        event.syswm.msg->msg.x11.event.type == DestroyNotify)
        return event.syswm.msg->msg.x11.event.xdestroywindow.window;
#else
    (void)event;
#endif
    return 0;
}

} // namespace WinApi
