// The waiting side of BiasedLock, and its bias.
#include "kernel/BiasedLock.h"

#include <linux/futex.h>
#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace WinApi {
namespace {

// How many takings in a row by one thread win it the bias.
constexpr std::uint32_t ClaimRun = 64;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Sleeps while word holds value, a millisecond at most.
void SleepWhile(std::atomic<std::uint32_t>& word, std::uint32_t value) {
    timespec limit{0, 1000000};
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_PRIVATE, value, &limit,
              nullptr, 0);
}

// Whether this process may make all its threads pass a memory barrier;
// asked (and registered for) once.
bool ProcessBarrierAvailable() {
    static const bool available = [] {
        long commands = ::syscall(SYS_membarrier, MEMBARRIER_CMD_QUERY, 0, 0);
        return commands >= 0 && (commands & MEMBARRIER_CMD_PRIVATE_EXPEDITED) != 0 &&
               ::syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
    }();
    return available;
}

void ProcessBarrier() {
    ::syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0);
}

} // namespace

void BiasedLock::Contended() {
    // The holder mostly lets go within nanoseconds.
    for (int round = 0; round < 100; ++round) {
        Pause();
        std::uint32_t expected = 0;
        if (Word.load(std::memory_order_relaxed) == 0 &&
            Word.compare_exchange_weak(expected, 1, std::memory_order_acquire,
                                       std::memory_order_relaxed))
            return;
    }
    // Taken this way the word stays 2, which costs at most one needless wake.
    while (Word.exchange(2, std::memory_order_acquire) != 0)
        SleepWhile(Word, 2);
}

bool BiasedLock::Taken(bool mayWait) {
    const void* me = Me();
    OwnerWord* owner = Owner.load(std::memory_order_relaxed);
    if (owner && owner->Thread.load(std::memory_order_relaxed) != me) {
        // From here on the owner either sees the word taken or has made its
        // being inside visible to this thread.
        ProcessBarrier();
        std::atomic<std::uint32_t>& inside = owner->Inside;
        for (std::uint32_t seen = inside.load(std::memory_order_acquire); seen != 0;
             seen = inside.load(std::memory_order_acquire)) {
            if (!mayWait) {
                // In a try_lock the owner may be waiting for a lock that this
                // thread holds: give up rather than wait.
                const bool sleepers = Word.load(std::memory_order_relaxed) == 2;
                Word.store(0, std::memory_order_release);
                if (sleepers)
                    WakeSleeper(Word);
                return false;
            }
            if (seen == 1 && !inside.compare_exchange_strong(seen, 2, std::memory_order_relaxed))
                continue;
            SleepWhile(inside, 2);
        }
        Owner.store(nullptr, std::memory_order_relaxed);
        owner = nullptr;
        LastTaker = nullptr;
    }
    if (LastTaker != me) {
        LastTaker = me;
        Run = 1;
    } else if (!owner && ++Run >= ClaimRun && ProcessBarrierAvailable()) {
        // The thread's own word, or one that no thread has had yet.
        for (OwnerWord& word : OwnerWords) {
            const void* thread = word.Thread.load(std::memory_order_relaxed);
            if (thread == me || thread == nullptr) {
                word.Thread.store(me, std::memory_order_relaxed);
                Owner.store(&word, std::memory_order_relaxed);
                break;
            }
        }
    }
    return true;
}

void BiasedLock::WakeSleeper(std::atomic<std::uint32_t>& word) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr,
              nullptr, 0);
}

} // namespace WinApi
