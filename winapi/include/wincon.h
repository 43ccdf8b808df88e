// Console input types of the Windows layer, with their real names, values and
// layouts: the key event records that the console hands to ReadConsoleInput
// callers, and the control-key state bits that describe the modifiers. Only
// what the console's key decoder needs is declared here.
#pragma once

#include "windef.h"

#define KEY_EVENT 0x0001

#define RIGHT_ALT_PRESSED 0x0001
#define LEFT_ALT_PRESSED 0x0002
#define RIGHT_CTRL_PRESSED 0x0004
#define LEFT_CTRL_PRESSED 0x0008
#define SHIFT_PRESSED 0x0010
#define NUMLOCK_ON 0x0020
#define SCROLLLOCK_ON 0x0040
#define CAPSLOCK_ON 0x0080
#define ENHANCED_KEY 0x0100

// UnicodeChar is a 16-bit unit as on Windows; char16_t keeps that width on
// Linux, where wchar_t is 32 bits and would change the record's layout.
struct KEY_EVENT_RECORD {
    BOOL bKeyDown;
    WORD wRepeatCount;
    WORD wVirtualKeyCode;
    WORD wVirtualScanCode;
    union {
        char16_t UnicodeChar;
        CHAR AsciiChar;
    } uChar;
    DWORD dwControlKeyState;
};
using PKEY_EVENT_RECORD = KEY_EVENT_RECORD*;

struct INPUT_RECORD {
    WORD EventType;
    union {
        KEY_EVENT_RECORD KeyEvent;
    } Event;
};
using PINPUT_RECORD = INPUT_RECORD*;

static_assert(sizeof(KEY_EVENT_RECORD) == 16, "KEY_EVENT_RECORD has the Windows layout");
static_assert(sizeof(INPUT_RECORD) == 20, "INPUT_RECORD has the Windows layout");
