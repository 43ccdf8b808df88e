// The runtime's own three modules, entries 0 to 2 of the module table: the
// runtime core (start-up information, instance handle, standard handles and
// files), resource strings, and disk services. The program fills entries 3
// and 4 before it starts.
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"

namespace Runtime {
namespace {

STARTUPINFOA StartupInfo;

void InitializeCore() {
    GetStartupInfoA(&StartupInfo);
    char fileName[256];
    GetModuleFileNameA(nullptr, fileName, 256);
    fileName[255] = '\0';
    MainInstance = GetModuleHandleA(fileName);
    // A path cut at 255 characters may no longer name the image; the image is
    // still this module.
    if (!MainInstance)
        MainInstance = GetModuleHandleA(nullptr);

    StdInputHandle = GetStdHandle(STD_INPUT_HANDLE);
    StdOutputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    StdErrorHandle = GetStdHandle(STD_ERROR_HANDLE);
    if (IsConsole) {
        BindHandleFile(Input, StdInputHandle, ModeInput);
        BindHandleFile(Output, StdOutputHandle, ModeOutput);
        BindHandleFile(StdOut, StdOutputHandle, ModeOutput);
        BindHandleFile(StdErr, StdErrorHandle, ModeOutput);
    }
    InOutRes = 0;
}

// The program has no resource strings, so there is nothing to load or free.
void InitializeResourceStrings() {}
void FinalizeResourceStrings() {}

// The extended free-space query exists on NT and on the later 95-family
// builds; it is looked up, though nothing in this program calls it.
using DiskFreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
HMODULE DiskLibrary = nullptr;
DiskFreeSpaceEx GetDiskFreeSpaceExFunc = nullptr;

void InitializeDiskServices() {
    DWORD version = GetVersion();
    bool isNT = (version & 0x80000000u) == 0;
    DWORD build = (version >> 16) & 0x7FFF;
    if (!isNT && build < 1000)
        return;
    DiskLibrary = LoadLibraryA("kernel32");
    if (DiskLibrary)
        GetDiskFreeSpaceExFunc = reinterpret_cast<DiskFreeSpaceEx>(
            reinterpret_cast<void*>(GetProcAddress(DiskLibrary, "GetDiskFreeSpaceExA")));
}

void FinalizeDiskServices() {
    if (!DiskLibrary)
        return;
    FreeLibrary(DiskLibrary);
    DiskLibrary = nullptr;
    GetDiskFreeSpaceExFunc = nullptr;
}

} // namespace

InitFinalTable InitFinal = {UnitCount,
                            0,
                            {{InitializeCore, nullptr},
                             {InitializeResourceStrings, FinalizeResourceStrings},
                             {InitializeDiskServices, FinalizeDiskServices},
                             {},
                             {}}};

} // namespace Runtime
