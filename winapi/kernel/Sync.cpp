// Events, waiting, and critical sections.
#include "kernel/Waitable.h"

#include <cassert>
#include <mutex>
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

// The critical section's storage holds a recursive mutex: re-entrant by its
// owner, and understood by the thread sanitizer.
static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::Storage));

std::recursive_mutex& LockOf(LPCRITICAL_SECTION section) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->Storage));
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
    new (lpCriticalSection->Storage) std::recursive_mutex;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::LockOf(lpCriticalSection).~recursive_mutex();
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::LockOf(lpCriticalSection).lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    WinApi::LockOf(lpCriticalSection).unlock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return WinApi::LockOf(lpCriticalSection).try_lock() ? TRUE : FALSE;
}
