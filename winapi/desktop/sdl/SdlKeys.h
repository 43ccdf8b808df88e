// Keys and characters on the SDL desktop.
//
// SDL names a key by its place on a USB keyboard (an SDL_Scancode is the HID
// usage), whatever the layout; a Windows program expects the virtual-key code
// and the set-1 scan code that a PC keyboard sends for that place, with the
// extended-key flag for the keys that came with the 101-key keyboard. The
// tables here are those of a US keyboard. Characters come two ways: SDL's
// text input carries the printable ones (UTF-8, which we turn into the ANSI
// code page's bytes), and the control characters that Windows makes from keys
// (CR, BS, TAB, ESC, Ctrl+letter) are made here from the key itself.
#pragma once

#include <windows.h>

#include <SDL2/SDL_scancode.h>

#include <string>

namespace WinApi {

struct KeyCodes {
    WORD VirtualKey = 0; // 0: the key has no Windows equivalent
    WORD ScanCode = 0;
    bool Extended = false;
};

// With numLock, the keypad's digit keys are digits; without, they move the
// cursor (and keypad 5 is VK_CLEAR), as on Windows.
KeyCodes KeyFromScancode(SDL_Scancode scancode, bool numLock);

// The character a key makes that text input does not report, or 0.
BYTE ControlCharacter(SDL_Scancode scancode, bool ctrl);

// The characters of text input in the ANSI code page (Latin-1 here); those
// that it cannot express and the control characters are left out.
std::string AnsiFromUtf8(const char* text);

// The other way, for titles and message boxes: SDL takes UTF-8.
std::string Utf8FromAnsi(const std::string& text);

} // namespace WinApi
