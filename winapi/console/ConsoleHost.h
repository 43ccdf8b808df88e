// Where the console lives: one small interface with two backends, chosen in
// one place (CurrentConsole). "tty" is the process's terminal: it keeps the
// screen buffer model, shows it with VT sequences and reads keys from the
// terminal on demand. "headless" is the same model with no terminal, which
// tests fill with input and whose cells they read.
//
// kernel32's console calls (console/ConsoleCalls.cpp) and the file calls on
// console handles reach the host through the handle objects of
// console/ConsoleObjects.h; the standard handles and CreateFileA ask it
// through the functions below. The host reports failures as Windows error codes
// and leaves GetLastError to the calls. Any thread may call a host; each
// backend guards its own state. Hosts are never destroyed (see Console.cpp).
#pragma once

#include <windows.h>

#include <memory>

namespace WinApi {

class ConsoleHost {
public:
    virtual ~ConsoleHost() = default;

    // Whether the standard handle on descriptor 0, 1 or 2 is this console
    // (otherwise it is a file or pipe handle).
    virtual bool StandardHandleIsConsole(int descriptor) = 0;
    // Whether "CONOUT$" and "CONIN$" can be opened: ERROR_SUCCESS, or the
    // error CreateFileA reports.
    virtual DWORD OpenDevice() = 0;

    // The screen buffer. Each call is one kernel32 call of the same name; the
    // first of them (or of the input calls) attaches the console.
    virtual void GetScreenInfo(CONSOLE_SCREEN_BUFFER_INFO& info) = 0;
    virtual DWORD WriteCells(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin,
                             SMALL_RECT& region) = 0;
    virtual DWORD ScrollCells(const SMALL_RECT& source, const SMALL_RECT* clip, COORD destination,
                              const CHAR_INFO& fill) = 0;
    virtual DWORD MoveCursor(COORD position) = 0;
    // Processed output, as WriteFile on a screen buffer handle.
    virtual void WriteText(const char* text, DWORD length) = 0;

    // Console input.
    virtual DWORD CountInput() = 0;
    // Takes up to length records, waiting while none is queued. Fails only
    // when input can never come (the terminal is gone).
    virtual DWORD ReadInput(INPUT_RECORD* records, DWORD length, DWORD& read) = 0;
    // WAIT_OBJECT_0 once a record is queued, WAIT_TIMEOUT after timeout
    // milliseconds (INFINITE: no limit), WAIT_FAILED when input can never come.
    virtual DWORD WaitInput(DWORD timeout) = 0;
};

// The console in use: the tty console unless a test selected another before
// (or after) the first use.
ConsoleHost& CurrentConsole();
void SelectConsole(std::unique_ptr<ConsoleHost> console);

// A new handle on the host's input buffer or screen buffer.
HANDLE NewConsoleHandle(ConsoleHost& host, bool input);

// CreateFileA of "CONIN$" or "CONOUT$" on the console in use: the new
// handle, or INVALID_HANDLE_VALUE with the last error set.
HANDLE OpenConsoleDevice(bool input);

} // namespace WinApi
