// The console part of kernel32 in the Windows layer, with the real names,
// values and layouts: the screen buffer (cells, cursor, scrolling, its
// information record) and console input (key event records and the
// control-key state bits that describe the modifiers). Only what the system
// calls is declared here.
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

// Event types other than keys, which a console may queue and readers skip.
#define MOUSE_EVENT 0x0002
#define WINDOW_BUFFER_SIZE_EVENT 0x0004
#define FOCUS_EVENT 0x0010

// Character attributes: foreground and background colour bits.
#define FOREGROUND_BLUE 0x0001
#define FOREGROUND_GREEN 0x0002
#define FOREGROUND_RED 0x0004
#define FOREGROUND_INTENSITY 0x0008
#define BACKGROUND_BLUE 0x0010
#define BACKGROUND_GREEN 0x0020
#define BACKGROUND_RED 0x0040
#define BACKGROUND_INTENSITY 0x0080

struct COORD {
    SHORT X;
    SHORT Y;
};
using PCOORD = COORD*;

struct SMALL_RECT {
    SHORT Left;
    SHORT Top;
    SHORT Right;
    SHORT Bottom;
};
using PSMALL_RECT = SMALL_RECT*;

struct CHAR_INFO {
    union {
        char16_t UnicodeChar;
        CHAR AsciiChar;
    } Char;
    WORD Attributes;
};
using PCHAR_INFO = CHAR_INFO*;

struct CONSOLE_SCREEN_BUFFER_INFO {
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
};
using PCONSOLE_SCREEN_BUFFER_INFO = CONSOLE_SCREEN_BUFFER_INFO*;

static_assert(sizeof(CHAR_INFO) == 4, "CHAR_INFO has the Windows layout");
static_assert(sizeof(CONSOLE_SCREEN_BUFFER_INFO) == 22,
              "CONSOLE_SCREEN_BUFFER_INFO has the Windows layout");

// Screen buffer
BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE hConsoleOutput,
                                       PCONSOLE_SCREEN_BUFFER_INFO lpConsoleScreenBufferInfo);
BOOL WINAPI WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer,
                                COORD dwBufferSize, COORD dwBufferCoord, PSMALL_RECT lpWriteRegion);
BOOL WINAPI ScrollConsoleScreenBufferA(HANDLE hConsoleOutput, const SMALL_RECT* lpScrollRectangle,
                                       const SMALL_RECT* lpClipRectangle, COORD dwDestinationOrigin,
                                       const CHAR_INFO* lpFill);
BOOL WINAPI SetConsoleCursorPosition(HANDLE hConsoleOutput, COORD dwCursorPosition);

// Console input
BOOL WINAPI GetNumberOfConsoleInputEvents(HANDLE hConsoleInput, LPDWORD lpNumberOfEvents);
BOOL WINAPI ReadConsoleInputA(HANDLE hConsoleInput, PINPUT_RECORD lpBuffer, DWORD nLength,
                              LPDWORD lpNumberOfEventsRead);
