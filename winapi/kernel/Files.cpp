// Standard handles, opening the console by name, the file calls, and the
// file objects over descriptors.
//
// A standard handle is a console handle when the console in use says its
// descriptor is the console (the tty console: the descriptor is a terminal);
// otherwise it wraps the descriptor as a file handle. A terminal is then a
// character device, a pipe or socket a pipe, anything else a disk file
// (GetFileType). Reads and writes follow Windows: a write moves all of its
// bytes or fails; a read returns what one read of the descriptor gives; a pipe
// whose writer has gone fails with ERROR_BROKEN_PIPE, where POSIX would report
// end of file. The console's handles carry their own file operations
// (console/ConsoleObjects.h); the calls here reach every kind alike.
#include "kernel/FileObject.h"

#include "console/ConsoleHost.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace WinApi {

DWORD FileObject::Read(void*, DWORD, DWORD&) {
    return ERROR_INVALID_HANDLE;
}

DWORD FileObject::Write(const void*, DWORD, DWORD&) {
    return ERROR_INVALID_HANDLE;
}

DescriptorFile::~DescriptorFile() {
    if (Descriptor >= 0)
        ::close(Descriptor);
}

DWORD DescriptorFile::FileType(DWORD& error) {
    struct stat status {};
    if (::fstat(Descriptor, &status) != 0) {
        error = ErrorFromErrno(errno);
        return FILE_TYPE_UNKNOWN;
    }
    error = ERROR_SUCCESS;
    if (S_ISCHR(status.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}

DWORD DescriptorFile::Read(void* buffer, DWORD length, DWORD& read) {
    ssize_t got;
    do
        got = ::read(Descriptor, buffer, length);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return ErrorFromErrno(errno);
    DWORD typeError = ERROR_SUCCESS;
    if (got == 0 && length > 0 && FileType(typeError) == FILE_TYPE_PIPE)
        return ERROR_BROKEN_PIPE;
    read = static_cast<DWORD>(got);
    return ERROR_SUCCESS;
}

DWORD DescriptorFile::Write(const void* buffer, DWORD length, DWORD& written) {
    const auto* bytes = static_cast<const char*>(buffer);
    written = 0;
    while (written < length) {
        ssize_t put = ::write(Descriptor, bytes + written, length - written);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return ErrorFromErrno(errno);
        }
        written += static_cast<DWORD>(put);
    }
    return ERROR_SUCCESS;
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
            standard.Handles[slot] =
                WinApi::InsertHandle(std::make_shared<WinApi::DescriptorFile>(slot));
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
    auto file = WinApi::LookupHandleAs<WinApi::FileObject>(hFile);
    if (!file)
        return FILE_TYPE_UNKNOWN;
    DWORD error = ERROR_SUCCESS;
    const DWORD type = file->FileType(error);
    SetLastError(error);
    return type;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (lpOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto file = WinApi::LookupHandleAs<WinApi::FileObject>(hFile);
    if (!file)
        return FALSE;
    DWORD read = 0;
    const DWORD error = file->Read(lpBuffer, nNumberOfBytesToRead, read);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = read;
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
    auto file = WinApi::LookupHandleAs<WinApi::FileObject>(hFile);
    if (!file)
        return FALSE;
    DWORD written = 0;
    const DWORD error = file->Write(lpBuffer, nNumberOfBytesToWrite, written);
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = written;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
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
