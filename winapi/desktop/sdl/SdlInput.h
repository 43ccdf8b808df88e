// Turns SDL's keyboard, text and mouse events into what a Windows program
// sees: key transitions with virtual-key and scan codes, characters (the
// printable ones from SDL's text input, the control characters made from
// keys, as Windows' TranslateMessage would), and mouse buttons with the
// modifier and button state of the moment. Desktop thread only.
#pragma once

#include "desktop/Desktop.h"

#include <SDL2/SDL_events.h>

namespace WinApi {

class SdlInput {
public:
    explicit SdlInput(DesktopEvents& events) : Events(events) {}

    // Whether event is one of those handled here.
    static bool Handles(const SDL_Event& event);
    // The SDL window the event belongs to.
    static Uint32 WindowId(const SDL_Event& event);

    void Handle(const SDL_Event& event, HWND window);

private:
    void Key(const SDL_KeyboardEvent& key, HWND window);
    void Text(const SDL_TextInputEvent& text, HWND window);
    void Button(const SDL_MouseButtonEvent& button, HWND window);

    DesktopEvents& Events;
    // Characters take the scan code of the key that made them: the last key down.
    WORD LastScanCode = 0;
    // MK_ flags of the mouse buttons held, as the button events left them.
    WPARAM Buttons = 0;
};

} // namespace WinApi
