#include "console/headless/HeadlessConsole.h"

#include "console/KeyRecords.h"

namespace WinApi {

HeadlessConsole::HeadlessConsole(SHORT width, SHORT height) : Screen(width, height) {}

void HeadlessConsole::PushInput(const INPUT_RECORD& record) {
    Input.Push(record);
}

void HeadlessConsole::PressKey(WORD virtualKey, WORD scanCode, CHAR ascii, DWORD controlKeyState) {
    PushKeyPress([this](const INPUT_RECORD& record) { Input.Push(record); }, virtualKey, scanCode,
                 static_cast<unsigned char>(ascii), controlKeyState);
}

std::size_t HeadlessConsole::PendingInput() const {
    return Input.Size();
}

CHAR_INFO HeadlessConsole::Cell(SHORT x, SHORT y) const {
    std::lock_guard guard(Lock);
    return Screen.At(x, y);
}

std::string HeadlessConsole::Row(SHORT y) const {
    std::lock_guard guard(Lock);
    std::string row;
    for (int x = 0; x < Screen.Width(); ++x)
        row += Screen.At(x, y).Char.AsciiChar;
    return row;
}

COORD HeadlessConsole::CursorPosition() const {
    std::lock_guard guard(Lock);
    return Screen.Cursor();
}

void HeadlessConsole::SetCursorPosition(COORD position) {
    std::lock_guard guard(Lock);
    Screen.SetCursor(position);
}

void HeadlessConsole::SetAttributes(WORD attributes) {
    std::lock_guard guard(Lock);
    Screen.SetAttributes(attributes);
}

void HeadlessConsole::SetStandardHandlesAreConsole(bool console) {
    StandardConsole = console;
}

void HeadlessConsole::SetConsoleOutputAvailable(bool available) {
    OutputAvailable = available;
}

int HeadlessConsole::CursorMoves() const {
    return MoveCount;
}

int HeadlessConsole::CellWrites() const {
    return WriteCount;
}

int HeadlessConsole::Scrolls() const {
    return ScrollCount;
}

bool HeadlessConsole::StandardHandleIsConsole(int) {
    return StandardConsole;
}

DWORD HeadlessConsole::OpenDevice() {
    // As for a process without a console.
    return OutputAvailable ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void HeadlessConsole::GetScreenInfo(CONSOLE_SCREEN_BUFFER_INFO& info) {
    std::lock_guard guard(Lock);
    Screen.Info(info);
}

DWORD HeadlessConsole::WriteCells(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin,
                                  SMALL_RECT& region) {
    ++WriteCount;
    std::lock_guard guard(Lock);
    return Screen.Write(cells, cellsSize, cellsOrigin, region);
}

DWORD HeadlessConsole::ScrollCells(const SMALL_RECT& source, const SMALL_RECT* clip,
                                   COORD destination, const CHAR_INFO& fill) {
    ++ScrollCount;
    std::lock_guard guard(Lock);
    return Screen.Scroll(source, clip, destination, fill);
}

DWORD HeadlessConsole::MoveCursor(COORD position) {
    ++MoveCount;
    std::lock_guard guard(Lock);
    return Screen.SetCursor(position);
}

void HeadlessConsole::WriteText(const char* text, DWORD length) {
    std::lock_guard guard(Lock);
    Screen.WriteText(text, length);
}

DWORD HeadlessConsole::CountInput() {
    return static_cast<DWORD>(Input.Size());
}

DWORD HeadlessConsole::ReadInput(INPUT_RECORD* records, DWORD length, DWORD& read) {
    // Another reader may take the record between the wait and the take.
    do {
        Input.WaitForRecord(INFINITE);
        read = Input.Take(records, length);
    } while (read == 0);
    return ERROR_SUCCESS;
}

DWORD HeadlessConsole::WaitInput(DWORD timeout) {
    return Input.WaitForRecord(timeout) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

} // namespace WinApi
