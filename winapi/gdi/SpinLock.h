// The lock of a device context. A context is nearly always used by one
// thread at a time, so taking its lock should cost one read-modify-write and
// giving it back a plain release store, less than a mutex's two. When it is
// contended (a transfer on another thread can hold it for milliseconds), the
// waiter spins briefly, then yields, then sleeps a little between looks, so
// that it never burns a core for long.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace WinApi {

class SpinLock {
public:
    void lock() {
        if (!Held.exchange(true, std::memory_order_acquire))
            return;
        Contended();
    }
    bool try_lock() {
        return !Held.load(std::memory_order_relaxed) &&
               !Held.exchange(true, std::memory_order_acquire);
    }
    void unlock() { Held.store(false, std::memory_order_release); }

private:
    static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    void Contended() {
        for (int round = 0;; ++round) {
            if (!Held.load(std::memory_order_relaxed) &&
                !Held.exchange(true, std::memory_order_acquire))
                return;
            if (round < 64)
                Pause();
            else if (round < 128)
                std::this_thread::yield();
            else
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }

    std::atomic<bool> Held{false};
};

} // namespace WinApi
