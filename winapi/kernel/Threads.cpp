// Threads: each runs its start routine on a detached POSIX thread. The thread
// object is shared by the handle table and by the running thread itself, so
// closing the handle of a running thread neither stops nor frees it. Each
// thread has an alternate signal stack for as long as it runs, so that its
// faults reach the exception filter even when its own stack is used up.
#include "kernel/FaultStack.h"
#include "kernel/Waitable.h"

#include <atomic>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <time.h>

namespace WinApi {
namespace {

class ThreadObject : public Waitable {
public:
    LPTHREAD_START_ROUTINE Routine = nullptr;
    LPVOID Parameter = nullptr;

    void Finish(DWORD exitCode) {
        Signal([&] {
            ExitCode = exitCode;
            Ended.store(true, std::memory_order_release);
        });
    }

    // Without the lock: a thread waiting for another by polling this must
    // not hold up the threads it waits for.
    DWORD CurrentExitCode() const {
        return Ended.load(std::memory_order_acquire) ? ExitCode : static_cast<DWORD>(STILL_ACTIVE);
    }

protected:
    bool IsSignalled() const override { return Ended.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> Ended{false};
    DWORD ExitCode = 0;
};

// Thread identifiers are the layer's own, handed out in order: a new thread's
// identifier is known to its creator before the thread has run.
std::atomic<DWORD> NextThreadId{4};
thread_local DWORD CurrentThreadId = 0;

DWORD NewThreadId() {
    return NextThreadId.fetch_add(4);
}

struct StartBlock {
    std::shared_ptr<ThreadObject> Thread;
    DWORD Id = 0;
};

void* ThreadMain(void* argument) {
    ThreadFaultStack faultStack;
    std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(argument));
    CurrentThreadId = start->Id;
    std::shared_ptr<ThreadObject> thread = std::move(start->Thread);
    DWORD exitCode = thread->Routine(thread->Parameter);
    thread->Finish(exitCode);
    return nullptr;
}

} // namespace

DWORD Waitable::Wait(DWORD timeout) {
    std::unique_lock guard(Lock);
    auto ready = [this] { return IsSignalled(); };
    if (timeout == INFINITE) {
        Changed.wait(guard, ready);
    } else if (!Changed.wait_for(guard, std::chrono::milliseconds(timeout), ready)) {
        return WAIT_TIMEOUT;
    }
    Satisfied();
    return WAIT_OBJECT_0;
}

} // namespace WinApi

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress || (dwCreationFlags & CREATE_SUSPENDED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Memory for the thread's own objects that cannot be had is a failure
    // to create it, as much as a stack the system will not give.
    std::shared_ptr<WinApi::ThreadObject> thread;
    std::unique_ptr<WinApi::StartBlock> start;
    try {
        thread = std::make_shared<WinApi::ThreadObject>();
        start.reset(new WinApi::StartBlock{thread, WinApi::NewThreadId()});
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    thread->Routine = lpStartAddress;
    thread->Parameter = lpParameter;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (dwStackSize > 0)
        pthread_attr_setstacksize(&attributes, dwStackSize < 65536 ? 65536 : dwStackSize);
    const DWORD threadId = start->Id;
    pthread_t id;
    int failed = pthread_create(&id, &attributes, WinApi::ThreadMain, start.get());
    pthread_attr_destroy(&attributes);
    if (failed) {
        SetLastError(WinApi::ErrorFromErrno(failed));
        return nullptr;
    }
    start.release(); // the new thread owns it now
    if (lpThreadId)
        *lpThreadId = threadId;
    return WinApi::InsertHandle(thread);
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    WinApi::PinnedHandle<WinApi::ThreadObject> thread(hThread);
    if (!thread || !lpExitCode)
        return FALSE;
    *lpExitCode = thread->CurrentExitCode();
    // A caller that asks again and again until the thread ends gives the
    // processor to the threads it waits for: at first by a yield, then, since
    // a yield returns at once while those threads wait for something else (a
    // display server), by a short sleep.
    static thread_local unsigned stillActiveAnswers = 0;
    if (*lpExitCode != STILL_ACTIVE) {
        stillActiveAnswers = 0;
    } else if (++stillActiveAnswers < 16) {
        sched_yield();
    } else {
        timespec pause{0, 50000};
        ::nanosleep(&pause, nullptr);
    }
    return TRUE;
}

DWORD WINAPI GetCurrentThreadId() {
    if (WinApi::CurrentThreadId == 0)
        WinApi::CurrentThreadId = WinApi::NewThreadId();
    return WinApi::CurrentThreadId;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    timespec delay{static_cast<time_t>(dwMilliseconds / 1000),
                   static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (::nanosleep(&delay, &delay) != 0) {
    }
}
