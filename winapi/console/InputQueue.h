// The console input buffer: input records in arrival order, shared by the
// thread that reads them and any thread that adds them (a test acting as the
// user, or the reader itself after decoding terminal bytes).
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace WinApi {

class InputQueue {
public:
    void Push(const INPUT_RECORD& record);
    std::size_t Size() const;
    // Takes up to length records without waiting; returns how many.
    DWORD Take(INPUT_RECORD* records, DWORD length);
    // Waits until a record is queued, at most timeout milliseconds (INFINITE:
    // without limit); true when one is.
    bool WaitForRecord(DWORD timeout) const;

private:
    mutable std::mutex Lock;
    mutable std::condition_variable Arrived;
    std::deque<INPUT_RECORD> Records;
};

} // namespace WinApi
