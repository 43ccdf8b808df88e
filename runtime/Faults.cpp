// Faults become run-time errors in two steps. The exception filter runs in
// the middle of the fault, where almost nothing may be done: it only records
// the fault at the next exception level and turns the faulting thread's
// context towards JumpToHandleErrorFrame. Once the system resumes the thread
// there, the dispatch is ordinary code on the faulting thread and raises the
// error as if the faulting instruction had called HandleErrorAddrFrame.
//
// The frame pointer is the faulting context's only when it lies on the stack
// that the thread faulted on: at or above the stack pointer and no further
// above it than a thread's stack reaches. Anything else (a routine built
// without frame pointers that uses the register for data) is no frame the
// stack dump could walk, and the fault is declined.
//
// A stack overflow leaves no room on the thread's stack for the dispatch, so
// the filter moves the stack pointer to a reserve stack of the runtime's
// own; the frame pointer stays the faulting frame, and the dump still walks
// the real stack. One thread at a time can use the reserve: a further
// overflow meanwhile is declined, and ends the process by its signal.
#include "runtime/Faults.h"

#include "runtime/ContextRegisters.h"
#include "runtime/FloatingPoint.h"
#include "runtime/Lifecycle.h"

#include <atomic>
#include <cstddef>

namespace Runtime {

std::uint8_t ExceptLevel = 0;
void* ExceptEip[MaxExceptLevel] = {};
std::uint8_t ExceptError[MaxExceptLevel] = {};
bool ResetFpu[MaxExceptLevel] = {};

namespace {

constexpr FaultRow FaultTable[] = {
    {EXCEPTION_SINGLE_STEP, 217, false},           {EXCEPTION_ACCESS_VIOLATION, 216, false},
    {EXCEPTION_IN_PAGE_ERROR, 217, false},         {EXCEPTION_ILLEGAL_INSTRUCTION, 217, false},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, 201, false}, {EXCEPTION_FLT_DENORMAL_OPERAND, 216, true},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, 200, true},     {EXCEPTION_FLT_INVALID_OPERATION, 207, true},
    {EXCEPTION_FLT_OVERFLOW, 205, true},           {EXCEPTION_FLT_STACK_CHECK, 207, true},
    {EXCEPTION_FLT_UNDERFLOW, 206, true},          {EXCEPTION_INT_DIVIDE_BY_ZERO, 200, false},
    {EXCEPTION_INT_OVERFLOW, 215, false},          {EXCEPTION_PRIV_INSTRUCTION, 217, false},
    {EXCEPTION_STACK_OVERFLOW, 202, false},
};

// No thread's stack reaches further than this (the usual reservation).
constexpr std::uintptr_t MaxStackSpan = std::uintptr_t{8} << 20;

// Room for the exit procedures and the report after a stack overflow.
constexpr std::size_t ReserveStackSize = 256 * 1024;
alignas(16) unsigned char ReserveStack[ReserveStackSize];
std::atomic<bool> ReserveStackTaken{false}; // taken in the filter, so never a lock
static_assert(std::atomic<bool>::is_always_lock_free);

void* FaultFrame(const CONTEXT& context) {
    const auto frame = reinterpret_cast<std::uintptr_t>(ContextRegisters::FramePointer(context));
    const auto stack = reinterpret_cast<std::uintptr_t>(ContextRegisters::StackPointer(context));
    if (frame < stack || frame - stack >= MaxStackSpan)
        return nullptr;
    return ContextRegisters::FramePointer(context);
}

} // namespace

const FaultRow* FindFault(DWORD exceptionCode) {
    for (const FaultRow& row : FaultTable)
        if (row.ExceptionCode == exceptionCode)
            return &row;
    return nullptr;
}

LONG WINAPI ExceptionFilter(EXCEPTION_POINTERS* exceptionInfo) {
    EXCEPTION_RECORD& record = *exceptionInfo->ExceptionRecord;
    CONTEXT& context = *exceptionInfo->ContextRecord;
    const FaultRow* fault = FindFault(record.ExceptionCode);
    if (!fault || !FaultFrame(context) || ExceptLevel >= MaxExceptLevel)
        return EXCEPTION_CONTINUE_SEARCH;
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        if (ReserveStackTaken.exchange(true))
            return EXCEPTION_CONTINUE_SEARCH;
        ContextRegisters::SetStackPointer(context, ReserveStack + ReserveStackSize);
    }
    ExceptEip[ExceptLevel] = record.ExceptionAddress;
    ExceptError[ExceptLevel] = fault->ErrorNumber;
    ResetFpu[ExceptLevel] = fault->ResetFpu;
    ++ExceptLevel;
    ContextRegisters::SetInstructionPointer(context, JumpToHandleErrorFrame);
    record.ExceptionCode = 0;
    // The x87 unit would fault again on its pending exception at the first
    // floating-point instruction of the dispatch.
    if (fault->ResetFpu)
        ContextRegisters::ClearFloatExceptions(context);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Entered by a jump at an arbitrary stack alignment, so the prologue aligns
// the stack itself. The frame pointer register still holds the faulting
// frame, which the prologue saves where a caller's frame pointer goes.
[[gnu::noinline, gnu::force_align_arg_pointer]] void JumpToHandleErrorFrame() {
    void* faultingFrame = *static_cast<void**>(__builtin_frame_address(0));
    if (ExceptLevel > 0)
        --ExceptLevel;
    const std::uint8_t level = ExceptLevel;
    if (ResetFpu[level])
        InitFpu();
    HandleErrorAddrFrame(ExceptError[level], ExceptEip[level], faultingFrame);
}

} // namespace Runtime
