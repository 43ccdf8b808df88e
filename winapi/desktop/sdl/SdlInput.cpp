#include "desktop/sdl/SdlInput.h"

#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL_keyboard.h>

namespace WinApi {
namespace {

WPARAM ButtonFlag(int button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return MK_LBUTTON;
    case SDL_BUTTON_MIDDLE:
        return MK_MBUTTON;
    case SDL_BUTTON_RIGHT:
        return MK_RBUTTON;
    default:
        return 0;
    }
}

} // namespace

bool SdlInput::Handles(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return true;
    default:
        return false;
    }
}

Uint32 SdlInput::WindowId(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    default:
        return 0;
    }
}

void SdlInput::Handle(const SDL_Event& event, HWND window) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        Key(event.key, window);
        break;
    case SDL_TEXTINPUT:
        Text(event.text, window);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        Button(event.button, window);
        break;
    default:
        break;
    }
}

void SdlInput::Key(const SDL_KeyboardEvent& key, HWND window) {
    bool down = key.type == SDL_KEYDOWN;
    SDL_Scancode scancode = key.keysym.scancode;
    KeyCodes codes = KeyFromScancode(scancode, (key.keysym.mod & KMOD_NUM) != 0);
    if (codes.VirtualKey == 0)
        return;
    // Alt itself is a system key in both directions, as on Windows.
    bool alt = (key.keysym.mod & KMOD_ALT) != 0 || codes.VirtualKey == VK_MENU;
    Events.Key(window, down, codes.VirtualKey, codes.ScanCode, codes.Extended, alt);
    if (!down)
        return;
    LastScanCode = codes.ScanCode;
    // Ctrl together with Alt is AltGr on many layouts, which makes no control character.
    bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0 && (key.keysym.mod & KMOD_ALT) == 0;
    if (BYTE character = ControlCharacter(scancode, ctrl))
        Events.Char(window, character, codes.ScanCode, alt);
}

void SdlInput::Text(const SDL_TextInputEvent& text, HWND window) {
    bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
    for (char character : AnsiFromUtf8(text.text))
        Events.Char(window, static_cast<BYTE>(character), LastScanCode, alt);
}

void SdlInput::Button(const SDL_MouseButtonEvent& button, HWND window) {
    WPARAM flag = ButtonFlag(button.button);
    if (flag == 0)
        return;
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    if (down)
        Buttons |= flag;
    else
        Buttons &= ~flag;
    WPARAM keyState = Buttons;
    SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT)
        keyState |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        keyState |= MK_CONTROL;
    // SDL counts clicks in quick succession; Windows makes every second one a double click.
    bool doubleClick = down && button.clicks >= 2 && button.clicks % 2 == 0;
    Events.MouseButton(window, button.button, down, doubleClick, button.x, button.y, keyState);
}

} // namespace WinApi
