// Events, waiting, and critical sections.
#include "kernel/BiasedLock.h"
#include "kernel/Waitable.h"

#include <atomic>
#include <cstdint>
#include <new>

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

// A critical section costs what an uncontended one costs on Windows or less:
// entering and leaving it take its BiasedLock, which the thread that uses it
// most takes without any read-modify-write, and a thread re-entering the
// section it owns touches no shared word at all. Owner and Recursion change
// only under the section, so the owner reading its own identity there is
// always right.
class Section {
public:
    void Enter() {
        std::uintptr_t me = Me();
        if (Owner.load(std::memory_order_relaxed) == me) {
            ++Recursion;
            return;
        }
        Lock.lock();
        Owner.store(me, std::memory_order_relaxed);
        Recursion = 1;
    }

    bool TryEnter() {
        std::uintptr_t me = Me();
        if (Owner.load(std::memory_order_relaxed) == me) {
            ++Recursion;
            return true;
        }
        if (!Lock.try_lock())
            return false;
        Owner.store(me, std::memory_order_relaxed);
        Recursion = 1;
        return true;
    }

    void Leave() {
        if (--Recursion > 0)
            return;
        Owner.store(0, std::memory_order_relaxed);
        Lock.unlock();
    }

private:
    // An address unique to each living thread.
    static std::uintptr_t Me() {
        static thread_local char marker;
        return reinterpret_cast<std::uintptr_t>(&marker);
    }

    BiasedLock Lock;
    std::atomic<std::uintptr_t> Owner{0};
    unsigned Recursion = 0;
};

static_assert(sizeof(Section) <= sizeof(CRITICAL_SECTION::Storage));
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
