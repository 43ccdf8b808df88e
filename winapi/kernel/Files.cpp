// Standard handles and the file calls over file descriptors.
//
// A terminal is a character device, a pipe or socket a pipe, anything else a
// disk file (GetFileType). Reads and writes follow Windows: a write moves all
// of its bytes or fails; a read returns what one read of the descriptor gives;
// a pipe whose writer has gone fails with ERROR_BROKEN_PIPE, where POSIX would
// report end of file.
#include "kernel/FileObject.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace WinApi {

FileObject::~FileObject() {
    if (Descriptor >= 0)
        ::close(Descriptor);
}

namespace {

struct StandardHandles {
    std::mutex Lock;
    bool Fetched[3] = {false, false, false};
    HANDLE Handles[3] = {nullptr, nullptr, nullptr};
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
    auto& standard = WinApi::Standard();
    std::lock_guard guard(standard.Lock);
    if (!standard.Fetched[slot]) {
        standard.Fetched[slot] = true;
        // A process started without this descriptor has no standard handle.
        if (::fcntl(slot, F_GETFD) != -1)
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
    auto& standard = WinApi::Standard();
    std::lock_guard guard(standard.Lock);
    standard.Fetched[slot] = true;
    standard.Handles[slot] = hHandle;
    return TRUE;
}

DWORD WINAPI GetFileType(HANDLE hFile) {
    auto file = WinApi::LookupHandleAs<FileObject>(hFile);
    if (!file)
        return FILE_TYPE_UNKNOWN;
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
    auto file = WinApi::LookupHandleAs<FileObject>(hFile);
    if (!file)
        return FALSE;
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
