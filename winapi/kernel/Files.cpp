// Standard handles, opening the console by name, and the file calls over
// file descriptors and consoles.
//
// A standard handle is a console handle when the console in use says its
// descriptor is the console (the tty console: the descriptor is a terminal);
// otherwise it wraps the descriptor as a file handle. A terminal is then a
// character device, a pipe or socket a pipe, anything else a disk file
// (GetFileType). Reads and writes follow Windows: a write moves all of its
// bytes or fails; a read returns what one read of the descriptor gives; a pipe
// whose writer has gone fails with ERROR_BROKEN_PIPE, where POSIX would report
// end of file. WriteFile on a console screen buffer is the console's processed
// output; ReadFile reads files only, since the system takes console input as
// input records.
#include "console/ConsoleObjects.h"
#include "kernel/FileObject.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace WinApi {

FileObject::~FileObject() {
    if (Descriptor >= 0)
        ::close(Descriptor);
}

namespace {

// The standard handles belong to the console in use: when a test selects
// another console, they are fetched anew (and earlier SetStdHandle calls are
// forgotten with the old console).
struct StandardHandles {
    std::mutex Lock;
    ConsoleHost* Console = nullptr;
    bool Fetched[3] = {false, false, false};
    bool Overridden[3] = {false, false, false};
    bool OnConsole[3] = {false, false, false};
    HANDLE Handles[3] = {nullptr, nullptr, nullptr};

    void Follow(ConsoleHost& console) {
        if (Console == &console)
            return;
        Console = &console;
        for (int slot = 0; slot < 3; ++slot)
            Fetched[slot] = Overridden[slot] = false;
    }
};

StandardHandles& Standard() {
    static auto* handles = new StandardHandles;
    return *handles;
}

int SlotOf(DWORD which) {
    switch (which) {
    case STD_INPUT_HANDLE:
        return 0;
    case STD_OUTPUT_HANDLE:
        return 1;
    case STD_ERROR_HANDLE:
        return 2;
    default:
        return -1;
    }
}

// A write to a pipe whose reader has gone must fail with an error code, not
// end the process with SIGPIPE as POSIX would.
[[maybe_unused]] const bool PipeSignalIgnored = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}();

} // namespace
} // namespace WinApi

using WinApi::FileObject;

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) {
    int slot = WinApi::SlotOf(nStdHandle);
    if (slot < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    WinApi::ConsoleHost& console = WinApi::CurrentConsole();
    auto& standard = WinApi::Standard();
    std::lock_guard guard(standard.Lock);
    standard.Follow(console);
    if (standard.Overridden[slot])
        return standard.Handles[slot];
    // The descriptor may have been pointed elsewhere since the handle was made.
    const bool onConsole = console.StandardHandleIsConsole(slot);
    if (!standard.Fetched[slot] || standard.OnConsole[slot] != onConsole) {
        standard.Fetched[slot] = true;
        standard.OnConsole[slot] = onConsole;
        standard.Handles[slot] = nullptr;
        if (onConsole)
            standard.Handles[slot] = WinApi::NewConsoleHandle(console, slot == 0);
        // A process started without this descriptor has no standard handle.
        else if (::fcntl(slot, F_GETFD) != -1)
            standard.Handles[slot] = WinApi::InsertHandle(std::make_shared<FileObject>(slot));
    }
    return standard.Handles[slot];
}

BOOL WINAPI SetStdHandle(DWORD nStdHandle, HANDLE hHandle) {
    int slot = WinApi::SlotOf(nStdHandle);
    if (slot < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    WinApi::ConsoleHost& console = WinApi::CurrentConsole();
    auto& standard = WinApi::Standard();
    std::lock_guard guard(standard.Lock);
    standard.Follow(console);
    standard.Overridden[slot] = true;
    standard.Handles[slot] = hHandle;
    return TRUE;
}

DWORD WINAPI GetFileType(HANDLE hFile) {
    auto object = WinApi::LookupHandle(hFile);
    if (!object)
        return FILE_TYPE_UNKNOWN;
    if (dynamic_cast<WinApi::ConsoleOutputObject*>(object.get()) ||
        dynamic_cast<WinApi::ConsoleInputObject*>(object.get())) {
        SetLastError(ERROR_SUCCESS);
        return FILE_TYPE_CHAR;
    }
    auto file = std::dynamic_pointer_cast<FileObject>(object);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    struct stat status {};
    if (::fstat(file->Descriptor, &status) != 0) {
        SetLastError(WinApi::ErrorFromErrno(errno));
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (S_ISCHR(status.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (lpOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto file = WinApi::LookupHandleAs<FileObject>(hFile);
    if (!file)
        return FALSE;
    ssize_t got;
    do
        got = ::read(file->Descriptor, lpBuffer, nNumberOfBytesToRead);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        SetLastError(WinApi::ErrorFromErrno(errno));
        return FALSE;
    }
    if (got == 0 && nNumberOfBytesToRead > 0 && GetFileType(hFile) == FILE_TYPE_PIPE) {
        SetLastError(ERROR_BROKEN_PIPE);
        return FALSE;
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    if (lpOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto object = WinApi::LookupHandle(hFile);
    if (!object)
        return FALSE;
    if (auto* screen = dynamic_cast<WinApi::ConsoleOutputObject*>(object.get())) {
        screen->Host.WriteText(static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite);
        if (lpNumberOfBytesWritten)
            *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
        return TRUE;
    }
    auto file = std::dynamic_pointer_cast<FileObject>(object);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto* bytes = static_cast<const char*>(lpBuffer);
    DWORD written = 0;
    while (written < nNumberOfBytesToWrite) {
        ssize_t put = ::write(file->Descriptor, bytes + written, nNumberOfBytesToWrite - written);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = written;
            SetLastError(WinApi::ErrorFromErrno(errno));
            return FALSE;
        }
        written += static_cast<DWORD>(put);
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = written;
    return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                          HANDLE) {
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Device names are case-insensitive on Windows.
    if (::strcasecmp(lpFileName, "CONOUT$") == 0)
        return WinApi::OpenConsoleDevice(false);
    if (::strcasecmp(lpFileName, "CONIN$") == 0)
        return WinApi::OpenConsoleDevice(true);
    // The system reads and writes no disk files: the layer opens none.
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI GetDiskFreeSpaceExA(LPCSTR lpDirectoryName,
                                PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                PULARGE_INTEGER lpTotalNumberOfBytes,
                                PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    struct statvfs volume {};
    if (::statvfs(lpDirectoryName ? lpDirectoryName : ".", &volume) != 0) {
        SetLastError(WinApi::ErrorFromErrno(errno));
        return FALSE;
    }
    const ULONGLONG unit = volume.f_frsize;
    if (lpFreeBytesAvailableToCaller)
        lpFreeBytesAvailableToCaller->QuadPart = unit * volume.f_bavail;
    if (lpTotalNumberOfBytes)
        lpTotalNumberOfBytes->QuadPart = unit * volume.f_blocks;
    if (lpTotalNumberOfFreeBytes)
        lpTotalNumberOfFreeBytes->QuadPart = unit * volume.f_bfree;
    return TRUE;
}
