// Module handles: the program's own image and the layer's kernel32.
//
// The program's image is the executable, whose instance handle is its load
// address, as on Windows. LoadLibraryA knows one library, "kernel32", whose
// exports are the few functions that callers look up by name.
#include "kernel/KernelObject.h"

#include <atomic>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>

extern "C" char __executable_start; // first byte of the executable's image

namespace WinApi {
namespace {

// The kernel32 pseudo-module needs a unique address for its handle.
char Kernel32Image;
std::atomic<int> Kernel32LoadCount{0};

HMODULE ProgramModule() {
    return reinterpret_cast<HMODULE>(&__executable_start);
}
HMODULE Kernel32Module() {
    return reinterpret_cast<HMODULE>(&Kernel32Image);
}

std::string ProgramPath() {
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    return std::string(path, static_cast<size_t>(length));
}

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    const char* last = slash > backslash ? slash : backslash;
    return last ? last + 1 : path;
}

// "kernel32", "KERNEL32.DLL" and "kernel32.dll" all name the same library.
bool NamesKernel32(const char* name) {
    const char* base = BaseName(name);
    return ::strcasecmp(base, "kernel32") == 0 || ::strcasecmp(base, "kernel32.dll") == 0;
}

bool NamesProgram(const char* name) {
    std::string program = ProgramPath();
    return !program.empty() &&
           (program == name || std::strcmp(BaseName(program.c_str()), BaseName(name)) == 0);
}

struct Export {
    const char* Name;
    FARPROC Address;
};

template <class F>
FARPROC AsFarProc(F* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

} // namespace
} // namespace WinApi

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (!lpModuleName || WinApi::NamesProgram(lpModuleName))
        return WinApi::ProgramModule();
    if (WinApi::NamesKernel32(lpModuleName))
        return WinApi::Kernel32Module();
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!hModule || hModule == WinApi::ProgramModule())
        path = WinApi::ProgramPath();
    else if (hModule == WinApi::Kernel32Module())
        path = "C:\\WINDOWS\\system32\\kernel32.dll";
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Like Windows, a name that does not fit is cut and still terminated.
    DWORD copied = static_cast<DWORD>(path.size() < nSize ? path.size() : nSize - 1);
    std::memcpy(lpFilename, path.data(), copied);
    lpFilename[copied] = '\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    SetLastError(ERROR_SUCCESS);
    return copied;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName && WinApi::NamesKernel32(lpLibFileName)) {
        ++WinApi::Kernel32LoadCount;
        return WinApi::Kernel32Module();
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (hModule != WinApi::Kernel32Module() || !lpProcName) {
        SetLastError(hModule == WinApi::Kernel32Module() ? ERROR_PROC_NOT_FOUND
                                                         : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    static const WinApi::Export exports[] = {
        {"GetDiskFreeSpaceExA", WinApi::AsFarProc(&GetDiskFreeSpaceExA)},
        {"GetVersion", WinApi::AsFarProc(&GetVersion)},
        {"GetVersionExA", WinApi::AsFarProc(&GetVersionExA)},
    };
    for (const auto& entry : exports)
        if (std::strcmp(entry.Name, lpProcName) == 0)
            return entry.Address;
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    if (hLibModule != WinApi::Kernel32Module() || WinApi::Kernel32LoadCount.load() == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --WinApi::Kernel32LoadCount;
    return TRUE;
}
