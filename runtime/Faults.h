// Processor and floating-point faults as run-time errors: the process's
// unhandled-exception filter, and the dispatch it sends the faulting thread
// to, which raises the run-time error there.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Runtime {

constexpr std::uint8_t MaxExceptLevel = 16;

// Faults that the filter has taken and whose dispatch has not yet read them
// back: per level, the faulting instruction, the run-time error it becomes,
// and whether the floating-point unit is reinitialised before it is raised.
extern std::uint8_t ExceptLevel;
extern void* ExceptEip[MaxExceptLevel];
extern std::uint8_t ExceptError[MaxExceptLevel];
extern bool ResetFpu[MaxExceptLevel];

struct FaultRow {
    DWORD ExceptionCode;
    std::uint8_t ErrorNumber;
    bool ResetFpu;
};

// The run-time error that an exception becomes, or null when the filter
// declines it.
const FaultRow* FindFault(DWORD exceptionCode);

// Installed by ExeEntry for the whole process, removed by SystemExit.
LONG WINAPI ExceptionFilter(EXCEPTION_POINTERS* exceptionInfo);

// Where the filter resumes a faulting thread: raises the recorded run-time
// error at the faulting instruction, with the stack dump starting at the
// faulting frame. Entered by a jump, never called.
[[noreturn]] void JumpToHandleErrorFrame();

} // namespace Runtime
