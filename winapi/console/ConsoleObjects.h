// The kernel objects behind console handles: a screen buffer handle and an
// input buffer handle, each naming the console host it was opened on. An
// input handle is waitable: it is signalled while input records are queued.
#pragma once

#include "console/ConsoleHost.h"
#include "kernel/Waitable.h"

namespace WinApi {

class ConsoleOutputObject : public KernelObject {
public:
    explicit ConsoleOutputObject(ConsoleHost& host) : Host(host) {}
    ConsoleHost& Host;
};

class ConsoleInputObject : public Waitable {
public:
    explicit ConsoleInputObject(ConsoleHost& host) : Host(host) {}
    DWORD Wait(DWORD timeout) override {
        DWORD result = Host.WaitInput(timeout);
        // A wait fails only when no input can come any more.
        if (result == WAIT_FAILED)
            SetLastError(ERROR_BROKEN_PIPE);
        return result;
    }
    ConsoleHost& Host;

protected:
    bool IsSignalled() const override { return Host.CountInput() > 0; }
};

// A new handle on the host's input buffer or screen buffer.
HANDLE NewConsoleHandle(ConsoleHost& host, bool input);

// CreateFileA of "CONIN$" or "CONOUT$" on the console in use: the new
// handle, or INVALID_HANDLE_VALUE with the last error set.
HANDLE OpenConsoleDevice(bool input);

} // namespace WinApi
