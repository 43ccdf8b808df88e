#include "desktop/sdl/SdlKeys.h"

#include "kernel/Utf8.h"

#include <cstdint>
#include <iterator>

namespace WinApi {
namespace {

// The OEM key between left Shift and Z on keyboards with 102 keys.
constexpr WORD VkOem102 = 0xE2;

struct KeyRow {
    SDL_Scancode Scancode;
    WORD VirtualKey;
    WORD ScanCode;
    bool Extended;
};

// Every key but the letters, the digit row and the keypad's digits, which
// follow rules of their own below.
constexpr KeyRow KeyRows[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    // The ISO keyboard's key left of Enter sits where the US backslash is.
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false},
    {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_NONUSBACKSLASH, VkOem102, 0x56, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
};

// Set-1 scan codes of A to Z.
constexpr WORD LetterScanCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                      0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                      0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

// The keypad's digits and point, from SDL_SCANCODE_KP_1 to SDL_SCANCODE_KP_PERIOD:
// their scan codes and what they do without NumLock.
struct KeypadRow {
    WORD ScanCode;
    WORD Digit;  // the VK with NumLock
    WORD Motion; // the VK without
};
constexpr KeypadRow KeypadRows[] = {
    {0x4F, VK_NUMPAD1, VK_END},    {0x50, VK_NUMPAD2, VK_DOWN},   {0x51, VK_NUMPAD3, VK_NEXT},
    {0x4B, VK_NUMPAD4, VK_LEFT},   {0x4C, VK_NUMPAD5, VK_CLEAR},  {0x4D, VK_NUMPAD6, VK_RIGHT},
    {0x47, VK_NUMPAD7, VK_HOME},   {0x48, VK_NUMPAD8, VK_UP},     {0x49, VK_NUMPAD9, VK_PRIOR},
    {0x52, VK_NUMPAD0, VK_INSERT}, {0x53, VK_DECIMAL, VK_DELETE},
};
static_assert(SDL_SCANCODE_KP_PERIOD - SDL_SCANCODE_KP_1 + 1 == std::size(KeypadRows));

// Windows-1252's characters 0x80 to 0x9F; zero where it has none.
constexpr std::uint16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The ANSI byte of a code point, or 0 when it has none or is a control character.
BYTE AnsiFromCodePoint(std::uint32_t point) {
    if ((point >= 0x20 && point < 0x7F) || (point >= 0xA0 && point <= 0xFF))
        return static_cast<BYTE>(point);
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] != 0 && Cp1252High[i] == point)
            return static_cast<BYTE>(0x80 + i);
    return 0;
}

} // namespace

KeyCodes KeyFromScancode(SDL_Scancode scancode, bool numLock) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        int letter = scancode - SDL_SCANCODE_A;
        return {static_cast<WORD>('A' + letter), LetterScanCodes[letter], false};
    }
    // The digit row runs 1 to 9, then 0, on the keyboard, in SDL and in scan codes.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
        int place = scancode - SDL_SCANCODE_1;
        WORD digit = scancode == SDL_SCANCODE_0 ? '0' : static_cast<WORD>('1' + place);
        return {digit, static_cast<WORD>(0x02 + place), false};
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10) {
        int place = scancode - SDL_SCANCODE_F1;
        return {static_cast<WORD>(VK_F1 + place), static_cast<WORD>(0x3B + place), false};
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_PERIOD) {
        const KeypadRow& row = KeypadRows[scancode - SDL_SCANCODE_KP_1];
        return {numLock ? row.Digit : row.Motion, row.ScanCode, false};
    }
    for (const KeyRow& row : KeyRows)
        if (row.Scancode == scancode)
            return {row.VirtualKey, row.ScanCode, row.Extended};
    return {};
}

BYTE ControlCharacter(SDL_Scancode scancode, bool ctrl) {
    switch (scancode) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return ctrl ? 0x0A : 0x0D;
    case SDL_SCANCODE_BACKSPACE:
        return ctrl ? 0x7F : 0x08;
    case SDL_SCANCODE_TAB:
        return ctrl ? 0 : 0x09;
    case SDL_SCANCODE_ESCAPE:
        return 0x1B;
    default:
        break;
    }
    if (!ctrl)
        return 0;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<BYTE>(1 + (scancode - SDL_SCANCODE_A));
    switch (scancode) {
    case SDL_SCANCODE_LEFTBRACKET:
        return 0x1B;
    case SDL_SCANCODE_BACKSLASH:
        return 0x1C;
    case SDL_SCANCODE_RIGHTBRACKET:
        return 0x1D;
    default:
        return 0;
    }
}

std::string AnsiFromUtf8(const char* text) {
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    while (*bytes) {
        unsigned char lead = *bytes++;
        std::uint32_t point = 0;
        int following = 0;
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            point = lead & 0x1F;
            following = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            point = lead & 0x0F;
            following = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            point = lead & 0x07;
            following = 3;
        } else {
            continue; // a stray continuation byte
        }
        bool whole = true;
        for (; following > 0; --following) {
            if ((*bytes & 0xC0) != 0x80) {
                whole = false;
                break;
            }
            point = (point << 6) | (*bytes++ & 0x3F);
        }
        if (!whole)
            continue;
        if (BYTE ansi = AnsiFromCodePoint(point))
            out += static_cast<char>(ansi);
    }
    return out;
}

std::string Utf8FromAnsi(const std::string& text) {
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else if (byte >= 0xA0)
            AppendUtf8(out, byte);
        else if (Cp1252High[byte - 0x80] != 0)
            AppendUtf8(out, Cp1252High[byte - 0x80]);
        else
            out += '?';
    }
    return out;
}

} // namespace WinApi
