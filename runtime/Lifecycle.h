// The program lifecycle: process entry, the module table with its
// initialisations and finalisations, the exit procedure chain, halting and
// raising run-time errors. Every way out of the program passes DoExit.
//
// Nothing here takes a lock: the state belongs to the main thread, except that
// a fault on another thread is dispatched on that thread.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Runtime {

using ExitProcedure = void (*)();
using UnitProcedure = void (*)();

// Head of the exit procedure chain. A module saves the current value, installs
// its own procedure, and its procedure first puts the saved value back.
extern ExitProcedure ExitProc;

extern bool IsConsole;
extern std::uint16_t ExitCode;
extern std::uint16_t ErrorCode;
extern void* ErrorAddr; // set exactly when a run-time error report is due
extern void* ErrorBase; // frame in which the error happened
extern HINSTANCE MainInstance;

struct InitFinalEntry {
    UnitProcedure Initialization = nullptr;
    UnitProcedure Finalization = nullptr;
};

constexpr std::int32_t UnitCount = 5;

// The module table, laid out as a linker would: entry 0 is the runtime core,
// 1 resource strings, 2 disk services (all three the runtime's own); the
// program fills entry 3 (console terminal) and entry 4 (graphics kernel)
// before ExeEntry.
struct InitFinalTable {
    std::int32_t Count = UnitCount;
    std::int32_t Initialized = 0;
    InitFinalEntry Entries[UnitCount];
};
extern InitFinalTable InitFinal;

// Process entry: installs the fault handling, loads the floating-point control
// word, and runs the main program, which must call InitializeUnits first and
// DoExit last.
[[noreturn]] void ExeEntry(void (*mainProgram)());

void InitializeUnits();
void FinalizeUnits();

[[noreturn]] void DoExit();
void InternalExit();
[[noreturn]] void SystemExit();

[[noreturn]] void Halt(std::uint8_t code);
[[noreturn]] void RunError(std::uint16_t errorNumber);
[[noreturn]] void HandleError(std::int32_t errorNumber);
[[noreturn]] void HandleErrorFrame(std::int32_t errorNumber, void* frame);
[[noreturn]] void HandleErrorAddrFrame(std::int32_t errorNumber, void* address, void* frame);

} // namespace Runtime
