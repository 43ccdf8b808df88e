// Console input from a terminal, read on demand by the thread that asks:
// bytes go through the key decoder into the console's input queue. A lone
// ESC, or the start of an escape sequence, that sees nothing more within
// EscapeWait is the key(s) that typed it.
//
// If the terminal hangs up (end of file, an error, or poll reporting it), no
// input can come any more: every wait then fails at once, with a limit or
// without, once the keys already typed are taken.
#pragma once

#include "console/InputQueue.h"
#include "console/tty/KeyDecoder.h"

#include <chrono>
#include <mutex>
#include <string>

namespace WinApi {

// Takes the first cursor position report (ESC [ row ; column R, 1-based)
// out of bytes read from a terminal; false when there is none.
bool TakeCursorReport(std::string& bytes, int& row, int& column);

class TerminalInput {
public:
    static constexpr std::chrono::milliseconds EscapeWait{50};

    explicit TerminalInput(InputQueue& queue) : Queue(queue) {}
    void Start(int terminal);

    // Decodes what the terminal has sent, without waiting.
    void Poll();
    // Waits until a record is queued: WAIT_OBJECT_0, WAIT_TIMEOUT after
    // timeout milliseconds (INFINITE: none), WAIT_FAILED once the terminal is
    // gone and nothing is queued.
    DWORD Wait(DWORD timeout);
    // Asks the terminal where its cursor is (0-based) and waits for the
    // answer at most `limit`; keys that arrive meanwhile stay queued.
    bool QueryCursor(COORD& position, std::chrono::milliseconds limit);

private:
    // Bytes that arrived within timeoutMilliseconds (-1: no limit), appended
    // to bytes; false when none did.
    bool ReadWithin(int timeoutMilliseconds, std::string& bytes);
    void Feed(const std::string& bytes);
    void Drain();

    std::mutex Lock;
    InputQueue& Queue;
    KeyDecoder Decoder;
    int Terminal = -1;
    bool HungUp = false;
    std::chrono::steady_clock::time_point LastByte;
};

} // namespace WinApi
