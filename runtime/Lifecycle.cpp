// Process entry, the module table's initialisation and finalisation, the exit
// procedure chain and the raising of run-time errors.
//
// Every exit step detaches its work before running it: an exit procedure is
// taken out of ExitProc, and a module leaves the initialised count, before it
// is called. So a run-time error raised inside an exit step enters DoExit
// afresh and carries on with the steps not yet started; the interrupted exit
// is never resumed, because DoExit ends the process.
#include "runtime/Lifecycle.h"

#include "runtime/ContextRegisters.h"
#include "runtime/ErrorReport.h"
#include "runtime/Faults.h"
#include "runtime/FloatingPoint.h"
#include "runtime/StandardFiles.h"

#include <new>

namespace Runtime {

ExitProcedure ExitProc = nullptr;
bool IsConsole = true;
std::uint16_t ExitCode = 0;
std::uint16_t ErrorCode = 0;
void* ErrorAddr = nullptr;
void* ErrorBase = nullptr;
HINSTANCE MainInstance = nullptr;

namespace {

// False while the runtime serves a library; only an executable owns the
// process's exit.
bool IsExecutable = false;

// Memory the program cannot have is its run-time error, on whichever thread
// asked for it, rather than an exception that nothing would catch.
[[gnu::noinline]] void HeapOverflow() {
    HandleError(203);
}

} // namespace

// The frame of the function that called the one this is used in.
#define CALLER_FRAME RUNTIME_CALLER_FRAME()

void ExeEntry(void (*mainProgram)()) {
    IsExecutable = true;
    // From here on a fault on any thread becomes a run-time error.
    SetUnhandledExceptionFilter(ExceptionFilter);
    std::set_new_handler(HeapOverflow);
#if defined(_WIN64)
    EntryFrame = RUNTIME_CALLER_FRAME();
#else
    EntryFrame = __builtin_frame_address(0);
#endif
    InitFpu();
    mainProgram();
    SystemExit();
}

void InitializeUnits() {
    std::int32_t count = InitFinal.Count < UnitCount ? InitFinal.Count : UnitCount;
    for (std::int32_t i = 0; i < count; ++i) {
        if (InitFinal.Entries[i].Initialization)
            InitFinal.Entries[i].Initialization();
        InitFinal.Initialized = i + 1;
    }
}

void FinalizeUnits() {
    while (InitFinal.Initialized > 0) {
        --InitFinal.Initialized;
        if (UnitProcedure finalization = InitFinal.Entries[InitFinal.Initialized].Finalization)
            finalization();
    }
}

void DoExit() {
    InternalExit();
    SystemExit();
}

void InternalExit() {
    while (ExitProc) {
        InOutRes = 0;
        ExitProcedure procedure = ExitProc;
        ExitProc = nullptr;
        procedure();
    }
    FinalizeUnits();
    if (ErrorAddr)
        WriteRunErrorReport();
}

void SystemExit() {
    // What remains of the exit is the system's: a fault in it is no longer
    // the program's run-time error.
    SetUnhandledExceptionFilter(nullptr);
    ExitProcess(ExitCode);
}

void Halt(std::uint8_t code) {
    ExitCode = code;
    DoExit();
}

// The raising entry points are kept out of line: each takes the return
// address and frame of its own call.
[[gnu::noinline]] void RunError(std::uint16_t errorNumber) {
    HandleErrorAddrFrame(errorNumber, __builtin_return_address(0), CALLER_FRAME);
}

[[gnu::noinline]] void HandleError(std::int32_t errorNumber) {
    HandleErrorAddrFrame(errorNumber, __builtin_return_address(0), CALLER_FRAME);
}

[[gnu::noinline]] void HandleErrorFrame(std::int32_t errorNumber, void* frame) {
    // A frame holds the caller's frame pointer, then the return address.
    if (!frame)
        HandleErrorAddrFrame(errorNumber, __builtin_return_address(0), CALLER_FRAME);
    void** slots = static_cast<void**>(frame);
    HandleErrorAddrFrame(errorNumber, slots[1], slots[0]);
}

void HandleErrorAddrFrame(std::int32_t errorNumber, void* address, void* frame) {
    ErrorCode = static_cast<std::uint16_t>(errorNumber);
    ExitCode = ErrorCode;
    ErrorAddr = address;
    ErrorBase = frame;
    DoExit();
}

} // namespace Runtime
