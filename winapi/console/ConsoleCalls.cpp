// kernel32's console calls: they find the console host behind the handle and
// let it do the work. A handle of another kind (a file, a pipe, an event)
// fails with ERROR_INVALID_HANDLE, as on Windows.
#include "console/ConsoleObjects.h"

namespace WinApi {
namespace {

ConsoleHost* ScreenOf(HANDLE handle) {
    auto screen = LookupHandleAs<ConsoleOutputObject>(handle);
    return screen ? &screen->Host : nullptr;
}

ConsoleHost* InputOf(HANDLE handle) {
    auto input = LookupHandleAs<ConsoleInputObject>(handle);
    return input ? &input->Host : nullptr;
}

BOOL Done(DWORD error) {
    if (error == ERROR_SUCCESS)
        return TRUE;
    SetLastError(error);
    return FALSE;
}

} // namespace
} // namespace WinApi

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE hConsoleOutput,
                                       PCONSOLE_SCREEN_BUFFER_INFO lpConsoleScreenBufferInfo) {
    WinApi::ConsoleHost* host = WinApi::ScreenOf(hConsoleOutput);
    if (!host)
        return FALSE;
    if (!lpConsoleScreenBufferInfo)
        return WinApi::Done(ERROR_INVALID_PARAMETER);
    host->GetScreenInfo(*lpConsoleScreenBufferInfo);
    return TRUE;
}

BOOL WINAPI WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer,
                                COORD dwBufferSize, COORD dwBufferCoord,
                                PSMALL_RECT lpWriteRegion) {
    WinApi::ConsoleHost* host = WinApi::ScreenOf(hConsoleOutput);
    if (!host)
        return FALSE;
    if (!lpBuffer || !lpWriteRegion)
        return WinApi::Done(ERROR_INVALID_PARAMETER);
    return WinApi::Done(host->WriteCells(lpBuffer, dwBufferSize, dwBufferCoord, *lpWriteRegion));
}

BOOL WINAPI ScrollConsoleScreenBufferA(HANDLE hConsoleOutput, const SMALL_RECT* lpScrollRectangle,
                                       const SMALL_RECT* lpClipRectangle, COORD dwDestinationOrigin,
                                       const CHAR_INFO* lpFill) {
    WinApi::ConsoleHost* host = WinApi::ScreenOf(hConsoleOutput);
    if (!host)
        return FALSE;
    if (!lpScrollRectangle || !lpFill)
        return WinApi::Done(ERROR_INVALID_PARAMETER);
    return WinApi::Done(
        host->ScrollCells(*lpScrollRectangle, lpClipRectangle, dwDestinationOrigin, *lpFill));
}

BOOL WINAPI SetConsoleCursorPosition(HANDLE hConsoleOutput, COORD dwCursorPosition) {
    WinApi::ConsoleHost* host = WinApi::ScreenOf(hConsoleOutput);
    if (!host)
        return FALSE;
    return WinApi::Done(host->MoveCursor(dwCursorPosition));
}

BOOL WINAPI GetNumberOfConsoleInputEvents(HANDLE hConsoleInput, LPDWORD lpNumberOfEvents) {
    WinApi::ConsoleHost* host = WinApi::InputOf(hConsoleInput);
    if (!host)
        return FALSE;
    if (!lpNumberOfEvents)
        return WinApi::Done(ERROR_INVALID_PARAMETER);
    *lpNumberOfEvents = host->CountInput();
    return TRUE;
}

BOOL WINAPI ReadConsoleInputA(HANDLE hConsoleInput, PINPUT_RECORD lpBuffer, DWORD nLength,
                              LPDWORD lpNumberOfEventsRead) {
    WinApi::ConsoleHost* host = WinApi::InputOf(hConsoleInput);
    if (!host)
        return FALSE;
    if (!lpNumberOfEventsRead || (!lpBuffer && nLength > 0))
        return WinApi::Done(ERROR_INVALID_PARAMETER);
    *lpNumberOfEventsRead = 0;
    if (nLength == 0)
        return TRUE;
    return WinApi::Done(host->ReadInput(lpBuffer, nLength, *lpNumberOfEventsRead));
}
