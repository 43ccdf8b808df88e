// The kernel objects behind console handles: a screen buffer handle and an
// input buffer handle, each naming the console host it was opened on. An
// input handle is waitable: it is signalled while input records are queued.
// Both take the file calls as character devices: WriteFile on a screen buffer
// is the console's processed output; neither is read with ReadFile, since the
// system takes console input as input records.
#pragma once

#include "console/ConsoleHost.h"
#include "kernel/FileObject.h"
#include "kernel/Waitable.h"

namespace WinApi {

class ConsoleOutputObject : public KernelObject, public FileObject {
public:
    explicit ConsoleOutputObject(ConsoleHost& host) : Host(host) {}
    DWORD FileType(DWORD& error) override {
        error = ERROR_SUCCESS;
        return FILE_TYPE_CHAR;
    }
    DWORD Write(const void* buffer, DWORD length, DWORD& written) override {
        Host.WriteText(static_cast<const char*>(buffer), length);
        written = length;
        return ERROR_SUCCESS;
    }
    ConsoleHost& Host;
};

class ConsoleInputObject : public Waitable, public FileObject {
public:
    explicit ConsoleInputObject(ConsoleHost& host) : Host(host) {}
    DWORD Wait(DWORD timeout) override {
        DWORD result = Host.WaitInput(timeout);
        // A wait fails only when no input can come any more.
        if (result == WAIT_FAILED)
            SetLastError(ERROR_BROKEN_PIPE);
        return result;
    }
    DWORD FileType(DWORD& error) override {
        error = ERROR_SUCCESS;
        return FILE_TYPE_CHAR;
    }
    ConsoleHost& Host;

protected:
    bool IsSignalled() const override { return Host.CountInput() > 0; }
};

} // namespace WinApi
