#include "console/tty/TerminalInput.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <poll.h>
#include <unistd.h>

namespace WinApi {
namespace {

using Clock = std::chrono::steady_clock;

// At most four digits, so that a position always fits a coordinate.
bool ParseNumber(const std::string& bytes, std::size_t& at, int& value) {
    std::size_t start = at;
    value = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && at - start < 4)
        value = value * 10 + (bytes[at++] - '0');
    return at > start;
}

} // namespace

bool TakeCursorReport(std::string& bytes, int& row, int& column) {
    for (std::size_t start = bytes.find("\x1b["); start != std::string::npos;
         start = bytes.find("\x1b[", start + 1)) {
        std::size_t at = start + 2;
        if (ParseNumber(bytes, at, row) && at < bytes.size() && bytes[at] == ';' &&
            ParseNumber(bytes, ++at, column) && at < bytes.size() && bytes[at] == 'R') {
            bytes.erase(start, at + 1 - start);
            return true;
        }
    }
    return false;
}

void TerminalInput::Start(int terminal) {
    std::lock_guard guard(Lock);
    Terminal = terminal;
    HungUp = terminal < 0;
}

bool TerminalInput::ReadWithin(int timeoutMilliseconds, std::string& bytes) {
    if (HungUp)
        return false;
    pollfd request{Terminal, POLLIN, 0};
    int ready = ::poll(&request, 1, timeoutMilliseconds);
    if (ready < 0 && errno != EINTR && errno != EAGAIN)
        HungUp = true; // the descriptor itself is gone
    if (ready <= 0)
        return false; // timed out, or interrupted: the caller looks at the time again
    if (request.revents & POLLIN) {
        char chunk[256];
        ssize_t got = ::read(Terminal, chunk, sizeof chunk);
        if (got > 0) {
            bytes.append(chunk, static_cast<std::size_t>(got));
            return true;
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            return false;
    }
    // End of input, an error, or a hang-up without data.
    HungUp = true;
    return false;
}

void TerminalInput::Feed(const std::string& bytes) {
    if (bytes.empty())
        return;
    Decoder.Feed(bytes.data(), bytes.size());
    LastByte = Clock::now();
    Drain();
}

void TerminalInput::Drain() {
    INPUT_RECORD record;
    while (Decoder.Next(record))
        Queue.Push(record);
}

void TerminalInput::Poll() {
    std::lock_guard guard(Lock);
    std::string bytes;
    while (ReadWithin(0, bytes)) {
    }
    Feed(bytes);
    if (Decoder.HasPending() && Clock::now() >= LastByte + EscapeWait) {
        Decoder.Timeout();
        Drain();
    }
}

DWORD TerminalInput::Wait(DWORD timeout) {
    std::lock_guard guard(Lock);
    const bool limited = timeout != INFINITE;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(limited ? timeout : 0);
    for (;;) {
        if (Queue.Size() > 0)
            return WAIT_OBJECT_0;
        const Clock::time_point now = Clock::now();
        const Clock::time_point escapeDue = LastByte + EscapeWait;
        if (Decoder.HasPending() && (now >= escapeDue || HungUp)) {
            Decoder.Timeout();
            Drain();
            continue;
        }
        // Nothing can come any more: a wait with a limit would only run out
        // and be repeated for ever by a reader that waits for a line.
        if (HungUp)
            return WAIT_FAILED;
        if (limited && now >= deadline)
            return WAIT_TIMEOUT;
        int waitMilliseconds = -1;
        if (limited || Decoder.HasPending()) {
            Clock::time_point until = limited ? deadline : escapeDue;
            if (Decoder.HasPending())
                until = std::min(until, escapeDue);
            waitMilliseconds = static_cast<int>(std::min<std::int64_t>(
                std::chrono::ceil<std::chrono::milliseconds>(until - now).count(), INT_MAX));
        }
        std::string bytes;
        if (ReadWithin(waitMilliseconds, bytes))
            Feed(bytes);
    }
}

bool TerminalInput::QueryCursor(COORD& position, std::chrono::milliseconds limit) {
    std::lock_guard guard(Lock);
    static constexpr char Ask[] = "\x1b[6n";
    if (::write(Terminal, Ask, sizeof Ask - 1) != static_cast<ssize_t>(sizeof Ask - 1))
        return false;
    const Clock::time_point deadline = Clock::now() + limit;
    std::string bytes;
    int row = 0;
    int column = 0;
    bool answered = false;
    for (;;) {
        answered = TakeCursorReport(bytes, row, column);
        const Clock::time_point now = Clock::now();
        if (answered || now >= deadline || HungUp)
            break;
        ReadWithin(
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()),
            bytes);
    }
    Feed(bytes);
    if (!answered || row < 1 || column < 1)
        return false;
    position = {static_cast<SHORT>(column - 1), static_cast<SHORT>(row - 1)};
    return true;
}

} // namespace WinApi
