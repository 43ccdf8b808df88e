// The headless console: the screen buffer model and input buffer of a real
// console, with no terminal behind them. Tests select it with SelectConsole,
// act as the user (PushInput, PressKey, SetCursorPosition) and look at what
// the program left in the buffer (Cell, Row, CursorPosition, the counters).
//
// Reading input blocks while the queue is empty, as on Windows, until another
// thread pushes a record; waits on the input handle keep their time limit.
// Every member may be called from any thread.
#pragma once

#include "console/ConsoleHost.h"
#include "console/InputQueue.h"
#include "console/ScreenBuffer.h"

#include <atomic>
#include <mutex>
#include <string>

namespace WinApi {

class HeadlessConsole : public ConsoleHost {
public:
    explicit HeadlessConsole(SHORT width = 80, SHORT height = 25);

    // Input as the user gives it: one raw record of any type (key, mouse,
    // focus ...).
    void PushInput(const INPUT_RECORD& record);
    // One key press: a key-down record, then the same record as key-up.
    void PressKey(WORD virtualKey, WORD scanCode, CHAR ascii, DWORD controlKeyState);
    // Records not yet read by ReadConsoleInputA.
    std::size_t PendingInput() const;

    // The screen buffer (0-based cells).
    CHAR_INFO Cell(SHORT x, SHORT y) const;
    std::string Row(SHORT y) const; // the row's characters, all `width` of them
    COORD CursorPosition() const;
    void SetCursorPosition(COORD position); // as if another program had moved it
    void SetAttributes(WORD attributes);    // the attributes GetConsoleScreenBufferInfo reports

    // What a test can make fail or change.
    // false: the standard handles are what the process has (files, pipes), as
    // when redirected; default true.
    void SetStandardHandlesAreConsole(bool console);
    // false: CreateFileA("CONOUT$") (and "CONIN$") fails; default true.
    void SetConsoleOutputAvailable(bool available);

    // How often the program called the console.
    int CursorMoves() const; // SetConsoleCursorPosition calls
    int CellWrites() const;  // WriteConsoleOutputA calls
    int Scrolls() const;     // ScrollConsoleScreenBufferA calls

    bool StandardHandleIsConsole(int descriptor) override;
    DWORD OpenDevice() override;
    void GetScreenInfo(CONSOLE_SCREEN_BUFFER_INFO& info) override;
    DWORD WriteCells(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin,
                     SMALL_RECT& region) override;
    DWORD ScrollCells(const SMALL_RECT& source, const SMALL_RECT* clip, COORD destination,
                      const CHAR_INFO& fill) override;
    DWORD MoveCursor(COORD position) override;
    void WriteText(const char* text, DWORD length) override;
    DWORD CountInput() override;
    DWORD ReadInput(INPUT_RECORD* records, DWORD length, DWORD& read) override;
    DWORD WaitInput(DWORD timeout) override;

private:
    mutable std::mutex Lock; // guards Screen
    ScreenBuffer Screen;
    InputQueue Input;
    std::atomic<bool> StandardConsole{true};
    std::atomic<bool> OutputAvailable{true};
    std::atomic<int> MoveCount{0};
    std::atomic<int> WriteCount{0};
    std::atomic<int> ScrollCount{0};
};

} // namespace WinApi
