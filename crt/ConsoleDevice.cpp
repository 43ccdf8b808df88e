// The console text device's state, its screen output (characters, wrapping,
// scrolling, the cursor) and the operations that make a text file a console
// device. The line editor behind CrtRead is in LineEditor.cpp.
//
// Every character shown is one single-cell WriteConsoleOutputA, and the
// console cursor moves once per buffer written: the device computes
// positions itself instead of letting the console interpret a stream. Failed
// console calls are ignored; the device's positions stay as computed.
// Nothing here knows of graphics.
#include "crt/ConsoleDevice.h"

#include "crt/Crt.h"
#include "runtime/TextFile.h"

namespace Crt {

HANDLE OutHandle = nullptr;
HANDLE InputHandle = nullptr;
CONSOLE_SCREEN_BUFFER_INFO ConsoleInfo{};
std::int32_t CursorSaveX = 0;
std::int32_t CursorSaveY = 0;
std::int32_t CurrX = 1;
std::int32_t CurrY = 1;
std::int32_t ScreenWidth = 80;
std::int32_t ScreenHeight = 25;
std::int32_t WinMinX = 1;
std::int32_t WinMinY = 1;
std::int32_t WinMaxX = 80;
std::int32_t WinMaxY = 25;

std::uint8_t TextAttr = 0x07;
bool CheckEOF = false;

namespace {

constexpr std::int32_t DefaultScreenWidth = 80;
constexpr std::int32_t DefaultScreenHeight = 25;

// Console coordinates are 16 bits wide; a position beyond that range wraps,
// as it would in the console's own records.
SHORT ConsoleCoordinate(std::int32_t value) {
    return static_cast<SHORT>(value);
}

CHAR_INFO CellOf(std::uint8_t code) {
    CHAR_INFO cell{};
    cell.Char.UnicodeChar = code;
    cell.Attributes = TextAttr;
    return cell;
}

void ShowGlyph(std::uint8_t code) {
    const CHAR_INFO cell = CellOf(code);
    const SHORT x = ConsoleCoordinate(CurrX - 1);
    const SHORT y = ConsoleCoordinate(CurrY - 1);
    SMALL_RECT region{x, y, x, y};
    WriteConsoleOutputA(OutHandle, &cell, COORD{1, 1}, COORD{0, 0}, &region);
}

} // namespace

void WriteChar(char c) {
    const auto code = static_cast<std::uint8_t>(c);
    switch (code) {
    case 7: // the bell is not shown
        break;
    case 8: // backspace never erases and never moves up a line
        if (CurrX > WinMinX)
            --CurrX;
        break;
    case 10:
        ++CurrY;
        break;
    case 13:
        CurrX = WinMinX;
        break;
    default: // tab, vertical tab and form feed included: they show as glyphs
        ShowGlyph(code);
        ++CurrX;
        break;
    }
    if (CurrX > WinMaxX) {
        CurrX = WinMinX;
        ++CurrY;
    }
    while (CurrY > WinMaxY) {
        RemoveLine(1);
        --CurrY;
    }
}

// The block from the line to the bottom of the window moves up one row onto a
// destination above it; clipped to the block itself, its first row falls
// away and the vacated bottom row is filled with blanks.
void RemoveLine(std::int32_t line) {
    const std::int32_t row = WinMinY + line - 1;
    const SMALL_RECT block{ConsoleCoordinate(WinMinX - 1), ConsoleCoordinate(row - 1),
                           ConsoleCoordinate(WinMaxX - 1), ConsoleCoordinate(WinMaxY - 1)};
    const COORD destination{ConsoleCoordinate(WinMinX - 1), ConsoleCoordinate(row - 2)};
    const CHAR_INFO fill = CellOf(' ');
    ScrollConsoleScreenBufferA(OutHandle, &block, &block, destination, &fill);
}

void GetScreenCursor(std::int32_t& x, std::int32_t& y) {
    x = CursorSaveX + 1;
    y = CursorSaveY + 1;
}

void SetScreenCursor(std::int32_t x, std::int32_t y) {
    SetConsoleCursorPosition(OutHandle, COORD{ConsoleCoordinate(x - 1), ConsoleCoordinate(y - 1)});
    CursorSaveX = x - 1;
    CursorSaveY = y - 1;
}

std::int32_t GetScreenWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    return GetConsoleScreenBufferInfo(OutHandle, &info) ? info.dwSize.X : DefaultScreenWidth;
}

std::int32_t GetScreenHeight() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    return GetConsoleScreenBufferInfo(OutHandle, &info) ? info.dwSize.Y : DefaultScreenHeight;
}

std::int32_t CrtOpen(Runtime::TextRec& file) {
    if (file.Mode == Runtime::ModeOutput) {
        file.InOutFunc = CrtWrite;
        file.FlushFunc = CrtWrite;
    } else {
        file.Mode = Runtime::ModeInput;
        file.InOutFunc = CrtRead;
        file.FlushFunc = CrtReturn;
    }
    file.CloseFunc = CrtClose;
    return 0;
}

std::int32_t CrtWrite(Runtime::TextRec& file) {
    GetScreenCursor(CurrX, CurrY);
    for (std::int32_t i = 0; i < file.BufPos; ++i)
        WriteChar(file.BufPtr[i]);
    SetScreenCursor(CurrX, CurrY);
    file.BufPos = 0;
    return 0;
}

// A read that finds no more data has nothing to give back to the console.
std::int32_t CrtReturn(Runtime::TextRec&) {
    return 0;
}

std::int32_t CrtClose(Runtime::TextRec& file) {
    file.Mode = Runtime::ModeClosed;
    return 0;
}

void AssignCrt(Runtime::TextRec& file) {
    Runtime::Assign(file, "");
    file.OpenFunc = CrtOpen;
}

} // namespace Crt
