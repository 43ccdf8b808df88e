#include "console/InputQueue.h"

#include <chrono>

namespace WinApi {

void InputQueue::Push(const INPUT_RECORD& record) {
    {
        std::lock_guard guard(Lock);
        Records.push_back(record);
    }
    Arrived.notify_all();
}

std::size_t InputQueue::Size() const {
    std::lock_guard guard(Lock);
    return Records.size();
}

DWORD InputQueue::Take(INPUT_RECORD* records, DWORD length) {
    std::lock_guard guard(Lock);
    DWORD taken = 0;
    while (taken < length && !Records.empty()) {
        records[taken++] = Records.front();
        Records.pop_front();
    }
    return taken;
}

bool InputQueue::WaitForRecord(DWORD timeout) const {
    std::unique_lock guard(Lock);
    auto queued = [this] { return !Records.empty(); };
    if (timeout == INFINITE) {
        Arrived.wait(guard, queued);
        return true;
    }
    return Arrived.wait_for(guard, std::chrono::milliseconds(timeout), queued);
}

} // namespace WinApi
