// The console text device: the console screen buffer as the device behind the
// standard files Input and Output. Output is placed cell by cell in TextAttr
// inside a text window (the whole buffer), wrapping at the right edge and
// scrolling the window up at the bottom; input is one line at a time from a
// line editor that echoes what is typed. The device keeps its own record of
// the cursor and never reads the console's back, so its output continues
// where it left off whatever other writers did in between. It changes no
// console modes and installs no control handler. Nothing here knows of
// graphics; only the main thread uses the device, so nothing is locked.
#pragma once

#include "runtime/TextRec.h"

#include <windows.h>

#include <cstdint>

namespace Crt {

// The console screen buffer that output, cursor moves and scrolling go to,
// and the console input buffer.
extern HANDLE OutHandle;
extern HANDLE InputHandle;
// The screen buffer as found at start-up.
extern CONSOLE_SCREEN_BUFFER_INFO ConsoleInfo;
// Where the device last left the console cursor, 0-based.
extern std::int32_t CursorSaveX;
extern std::int32_t CursorSaveY;
// The output position while a buffer is written or a line is read, 1-based.
extern std::int32_t CurrX;
extern std::int32_t CurrY;
// The screen buffer's size in cells.
extern std::int32_t ScreenWidth;
extern std::int32_t ScreenHeight;
// The text window, 1-based and inclusive.
extern std::int32_t WinMinX;
extern std::int32_t WinMinY;
extern std::int32_t WinMaxX;
extern std::int32_t WinMaxY;

constexpr char ConOut[] = "CONOUT$";

// Writes one character at (CurrX, CurrY), or acts on it (bell, backspace,
// line feed, carriage return), then wraps and scrolls.
void WriteChar(char c);
// Deletes window line `line` (1-based): the lines below move up and the
// bottom line of the window becomes blank in TextAttr.
void RemoveLine(std::int32_t line);
// The remembered cursor, 1-based; the console is not asked.
void GetScreenCursor(std::int32_t& x, std::int32_t& y);
// Moves the console cursor to (x, y), 1-based, and remembers it.
void SetScreenCursor(std::int32_t x, std::int32_t y);
// The screen buffer's size in cells; 80 by 25 when the console cannot say.
std::int32_t GetScreenWidth();
std::int32_t GetScreenHeight();

// The device operations of a console text file. Each returns 0; the device
// never sets an I/O result.
std::int32_t CrtOpen(Runtime::TextRec& file);
std::int32_t CrtWrite(Runtime::TextRec& file);
std::int32_t CrtRead(Runtime::TextRec& file);
std::int32_t CrtReturn(Runtime::TextRec& file);
std::int32_t CrtClose(Runtime::TextRec& file);

// Erases the last character of the line being read, on screen and in the
// buffer, when the edit position is at the end of the line.
void BackSpace(Runtime::TextRec& file);

} // namespace Crt
