// Objects a thread can wait for: threads (signalled when they end), events,
// and console input buffers. Threads and events keep their state under their
// own mutex and wake waiters on change; WaitForSingleObject waits for
// IsSignalled and then lets the object react to the satisfied wait (an
// auto-reset event resets itself). An object whose state lives elsewhere (a
// console's input, fed by a terminal read on demand) replaces Wait itself.
#pragma once

#include "kernel/KernelObject.h"

#include <condition_variable>
#include <mutex>

namespace WinApi {

class Waitable : public KernelObject {
public:
    // Waits at most timeout milliseconds (INFINITE: without limit).
    virtual DWORD Wait(DWORD timeout);

protected:
    // Both are called with Lock held.
    virtual bool IsSignalled() const = 0;
    virtual void Satisfied() {}

    // Changes state under the lock and wakes every waiter.
    template <class Change>
    void Signal(Change change) {
        {
            std::lock_guard guard(Lock);
            change();
        }
        Changed.notify_all();
    }

    mutable std::mutex Lock;
    std::condition_variable Changed;
};

} // namespace WinApi
