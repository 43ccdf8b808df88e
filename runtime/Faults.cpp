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

// 32-bit Windows reports SSE faults as multiple faults or traps; the MXCSR
// flags say which exception it was (see ErrorNumberOf).
constexpr DWORD FloatMultipleFaults = 0xC00002B4;
constexpr DWORD FloatMultipleTraps = 0xC00002B5;
constexpr FaultRow MultipleFaultTable[] = {{FloatMultipleFaults, 207, true},
                                           {FloatMultipleTraps, 207, true}};

// No thread's stack reaches further than this (the usual reservation).
constexpr std::uintptr_t MaxStackSpan = std::uintptr_t{8} << 20;

// Room for the exit procedures and the report after a stack overflow.
constexpr std::size_t ReserveStackSize = 256 * 1024;
alignas(16) unsigned char ReserveStack[ReserveStackSize];
std::atomic<bool> ReserveStackTaken{false}; // taken in the filter, so never a lock
static_assert(std::atomic<bool>::is_always_lock_free);

void* FaultFrame(const CONTEXT& context) {
    const auto frame = reinterpret_cast<std::uintptr_t>(ContextRegisters::FaultFrame(context));
    const auto stack = reinterpret_cast<std::uintptr_t>(ContextRegisters::StackPointer(context));
    if (frame < stack || frame - stack >= MaxStackSpan)
        return nullptr;
    return ContextRegisters::FaultFrame(context);
}

// Where the dispatch finds the faulting frame: on 64-bit Windows the filter
// keeps the whole context for the unwinder, elsewhere the frame pointer
// register still holds it when the dispatch starts.
#if defined(_WIN64)
void* DispatchFrame[MaxExceptLevel] = {};
#endif

// The MXCSR flags of a multiple fault or trap, taken in the x87's order of
// precedence, say which run-time error it is.
std::uint8_t ErrorNumberOf(const FaultRow& fault, const CONTEXT& context) {
    if (fault.ExceptionCode != FloatMultipleFaults && fault.ExceptionCode != FloatMultipleTraps)
        return fault.ErrorNumber;
    struct FlagError {
        std::uint32_t Flag;
        std::uint8_t ErrorNumber;
    };
    static constexpr FlagError Flags[] = {{0x01, 207}, {0x02, 216}, {0x04, 200},
                                          {0x08, 205}, {0x10, 206}, {0x20, 207}};
    const std::uint32_t mxcsr = ContextRegisters::Mxcsr(context);
    for (const FlagError& flag : Flags)
        if (mxcsr & flag.Flag)
            return flag.ErrorNumber;
    return fault.ErrorNumber;
}

} // namespace

const FaultRow* FindFault(DWORD exceptionCode) {
    for (const FaultRow& row : FaultTable)
        if (row.ExceptionCode == exceptionCode)
            return &row;
    for (const FaultRow& row : MultipleFaultTable)
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
#if defined(_WIN64)
    DispatchFrame[ExceptLevel] = FaultFrame(context);
    ContextRegisters::KeptFault = context;
#endif
    void* stack = ContextRegisters::StackPointer(context);
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        if (ReserveStackTaken.exchange(true))
            return EXCEPTION_CONTINUE_SEARCH;
        stack = ReserveStack + ReserveStackSize;
    }
    ExceptEip[ExceptLevel] = record.ExceptionAddress;
    ExceptError[ExceptLevel] = ErrorNumberOf(*fault, context);
    ResetFpu[ExceptLevel] = fault->ResetFpu;
    ++ExceptLevel;
    // The dispatch is entered as if called, with the stack aligned as the
    // calling convention wants it at a routine's first instruction.
    ContextRegisters::SetStackPointer(
        context, reinterpret_cast<void*>(
                     ContextRegisters::CallEntryStack(reinterpret_cast<std::uintptr_t>(stack))));
    ContextRegisters::SetInstructionPointer(context, JumpToHandleErrorFrame);
    record.ExceptionCode = 0;
    // The x87 unit would fault again on its pending exception at the first
    // floating-point instruction of the dispatch.
    if (fault->ResetFpu)
        ContextRegisters::ClearFloatExceptions(context);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Entered by a jump, with the stack as a call leaves it (the filter sees to
// that); the prologue aligns it once more where the compiler honours
// force_align_arg_pointer. The frame pointer register still holds the
// faulting frame, which the prologue saves where a caller's frame pointer
// goes.
[[gnu::noinline, gnu::force_align_arg_pointer]] void JumpToHandleErrorFrame() {
    void* faultingFrame = *static_cast<void**>(__builtin_frame_address(0));
    if (ExceptLevel > 0)
        --ExceptLevel;
    const std::uint8_t level = ExceptLevel;
#if defined(_WIN64)
    faultingFrame = DispatchFrame[level];
#endif
    if (ResetFpu[level])
        InitFpu();
    HandleErrorAddrFrame(ExceptError[level], ExceptEip[level], faultingFrame);
}

} // namespace Runtime
