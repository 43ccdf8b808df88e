// Proves, without timing, that a piece of code waits for a lock: the test
// holds the lock, runs the code on a thread of its own, and watches that
// thread until it either sleeps on the lock's word or finishes. Code that
// skips the lock can only finish; code that takes it can only sleep there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace TestSupport {

class LockWaiter {
public:
    explicit LockWaiter(std::function<void()> body);
    ~LockWaiter(); // joins: the caller must have released the lock
    LockWaiter(const LockWaiter&) = delete;
    LockWaiter& operator=(const LockWaiter&) = delete;

    // True once the thread sleeps on a futex word within [lock, lock + size);
    // false when the body ends first (or after a minute, for a broken test).
    bool WaitsOn(const void* lock, std::size_t size);

private:
    std::atomic<long> ThreadId{0};
    std::atomic<bool> Done{false};
    std::thread Thread;
};

} // namespace TestSupport
