// Events, waiting, and critical sections.
#include "kernel/Waitable.h"

#include <atomic>
#include <cstdint>
#include <linux/futex.h>
#include <new>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace WinApi {
namespace {

class EventObject : public Waitable {
public:
    EventObject(bool manualReset, bool initialState)
        : ManualReset(manualReset), Signalled(initialState) {}

    void Set() {
        Signal([this] { Signalled = true; });
    }
    void Reset() {
        Signal([this] { Signalled = false; });
    }

protected:
    bool IsSignalled() const override { return Signalled; }
    // An auto-reset event lets exactly one waiter through per SetEvent.
    void Satisfied() override {
        if (!ManualReset)
            Signalled = false;
    }

private:
    const bool ManualReset;
    bool Signalled;
};

// Sleeps while word holds value, a millisecond at most.
void SleepWhile(std::atomic<std::uint32_t>& word, std::uint32_t value) {
    timespec limit{0, 1000000};
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_PRIVATE, value, &limit,
              nullptr, 0);
}

void WakeOne(std::atomic<std::uint32_t>& word) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr,
              nullptr, 0);
}

// A critical section costs what an uncontended one costs on Windows: entering
// takes one compare-and-swap and leaving two plain memory accesses, and a
// thread re-entering the section it owns touches no shared word at all.
// Word is 0 when free, 1 when held, 2 when held and a thread may sleep on it.
// A contended enterer spins a little first, because the owner mostly leaves
// within nanoseconds, then sleeps on the word. The leaving owner wakes a
// sleeper when it saw 2; a sleeper that marked the word just after that look
// is not woken, so sleeps are bounded and the sleeper looks again when its
// sleep ends: that rare race costs it at most one sleep, never the section.
// Owner and Recursion change only under the section, so the owner reading its
// own identity there is always right.
class Section {
public:
    void Enter() {
        std::uintptr_t me = Me();
        if (Owner.load(std::memory_order_relaxed) == me) {
            ++Recursion;
            return;
        }
        std::uint32_t expected = 0;
        if (!Word.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                          std::memory_order_relaxed))
            Contended();
        Owner.store(me, std::memory_order_relaxed);
        Recursion = 1;
    }

    bool TryEnter() {
        std::uintptr_t me = Me();
        if (Owner.load(std::memory_order_relaxed) == me) {
            ++Recursion;
            return true;
        }
        std::uint32_t expected = 0;
        if (!Word.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                          std::memory_order_relaxed))
            return false;
        Owner.store(me, std::memory_order_relaxed);
        Recursion = 1;
        return true;
    }

    void Leave() {
        if (--Recursion > 0)
            return;
        Owner.store(0, std::memory_order_relaxed);
        bool sleepers = Word.load(std::memory_order_relaxed) == 2;
        Word.store(0, std::memory_order_release);
        if (sleepers)
            WakeOne(Word);
    }

private:
    // An address unique to each living thread.
    static std::uintptr_t Me() {
        static thread_local char marker;
        return reinterpret_cast<std::uintptr_t>(&marker);
    }

    static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

    void Contended() {
        for (int round = 0; round < 100; ++round) {
            Pause();
            std::uint32_t expected = 0;
            if (Word.load(std::memory_order_relaxed) == 0 &&
                Word.compare_exchange_weak(expected, 1, std::memory_order_acquire,
                                           std::memory_order_relaxed))
                return;
        }
        // A thread that takes the section this way leaves 2 behind, which
        // costs at most one needless wake.
        while (Word.exchange(2, std::memory_order_acquire) != 0)
            SleepWhile(Word, 2);
    }

    std::atomic<std::uint32_t> Word{0};
    std::atomic<std::uintptr_t> Owner{0};
    unsigned Recursion = 0;
};

static_assert(sizeof(Section) <= sizeof(CRITICAL_SECTION::Storage));
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
static_assert(alignof(Section) <= alignof(CRITICAL_SECTION));

Section& SectionOf(LPCRITICAL_SECTION section) {
    return *std::launder(reinterpret_cast<Section*>(section->Storage));
}

} // namespace
} // namespace WinApi

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName) {
    if (lpName) {
        // Named events are shared between processes; nothing here needs them.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return WinApi::InsertHandle(
        std::make_shared<WinApi::EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    auto event = WinApi::LookupHandleAs<WinApi::EventObject>(hEvent);
    if (!event)
        return FALSE;
    event->Set();
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    auto event = WinApi::LookupHandleAs<WinApi::EventObject>(hEvent);
    if (!event)
        return FALSE;
    event->Reset();
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto object = WinApi::LookupHandleAs<WinApi::Waitable>(hHandle);
    if (!object)
        return WAIT_FAILED;
    return object->Wait(dwMilliseconds);
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    new (lpCriticalSection->Storage) WinApi::Section;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::SectionOf(lpCriticalSection).~Section();
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::SectionOf(lpCriticalSection).Enter();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::SectionOf(lpCriticalSection).Leave();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return WinApi::SectionOf(lpCriticalSection).TryEnter() ? TRUE : FALSE;
}
