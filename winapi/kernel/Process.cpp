// Process start-up information, the version, and the end of the process.
#include "kernel/ProcessExit.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace WinApi {
namespace {

constexpr int MaxExitHooks = 8;
ProcessExitHook ExitHooks[MaxExitHooks];
std::atomic<int> ExitHookCount{0};

// The layer presents itself as Windows NT 5.1, build 2600.
constexpr DWORD MajorVersion = 5;
constexpr DWORD MinorVersion = 1;
constexpr DWORD BuildNumber = 2600;

} // namespace

void AtProcessExit(ProcessExitHook hook) {
    int slot = ExitHookCount.fetch_add(1);
    if (slot < MaxExitHooks)
        ExitHooks[slot] = hook;
}

void RunProcessExitHooks() {
    // Each hook runs once, even when a hook itself ends the process.
    int count = ExitHookCount.exchange(0);
    for (int i = (count < MaxExitHooks ? count : MaxExitHooks) - 1; i >= 0; --i)
        ExitHooks[i]();
}

} // namespace WinApi

void WINAPI GetStartupInfoA(LPSTARTUPINFOA lpStartupInfo) {
    std::memset(lpStartupInfo, 0, sizeof *lpStartupInfo);
    lpStartupInfo->cb = sizeof *lpStartupInfo;
}

DWORD WINAPI GetVersion() {
    return WinApi::MajorVersion | (WinApi::MinorVersion << 8) | (WinApi::BuildNumber << 16);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (!lpVersionInformation ||
        lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lpVersionInformation->dwMajorVersion = WinApi::MajorVersion;
    lpVersionInformation->dwMinorVersion = WinApi::MinorVersion;
    lpVersionInformation->dwBuildNumber = WinApi::BuildNumber;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    lpVersionInformation->szCSDVersion[0] = '\0';
    return TRUE;
}

void WINAPI ExitProcess(UINT uExitCode) {
    WinApi::RunProcessExitHooks();
    // Other threads may still run (a window's message thread): end at once,
    // without static destructors, as Windows ends a process.
    ::_exit(static_cast<int>(uExitCode));
}
