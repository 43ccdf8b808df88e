#include "tests/support/LockWaiter.h"

#include <chrono>
#include <fstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace TestSupport {

LockWaiter::LockWaiter(std::function<void()> body)
    : Thread([this, body = std::move(body)] {
          ThreadId = static_cast<long>(::syscall(SYS_gettid));
          body();
          Done = true;
      }) {}

LockWaiter::~LockWaiter() {
    Thread.join();
}

bool LockWaiter::WaitsOn(const void* lock, std::size_t size) {
    const auto first = reinterpret_cast<std::uintptr_t>(lock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!Done && std::chrono::steady_clock::now() < deadline) {
        // The kernel shows a sleeping thread's system call and its arguments;
        // a futex wait's first argument is the address of the word.
        if (const long id = ThreadId) {
            std::ifstream call("/proc/self/task/" + std::to_string(id) + "/syscall");
            long number = -1;
            std::uintptr_t word = 0;
            if (call >> number >> std::hex >> word && number == SYS_futex && word >= first &&
                word < first + size)
                return true;
        }
        std::this_thread::yield();
    }
    return false;
}

} // namespace TestSupport
