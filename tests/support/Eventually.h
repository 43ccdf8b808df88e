// Patience for what happens on another thread or in another process: a
// condition polled until it holds, or until the patience runs out.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace TestSupport {

// Whether condition came to hold within seconds; it is checked every pause.
inline bool Eventually(const std::function<bool()>& condition, double seconds = 10,
                       std::chrono::milliseconds pause = std::chrono::milliseconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(pause);
    }
    return true;
}

} // namespace TestSupport
