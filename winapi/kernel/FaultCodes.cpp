// The Windows exception code, address and parameters of a processor or
// floating-point fault, decoded from the signal and the machine context the
// kernel saved. Runs in signal context: no allocation, no lock.
#include "kernel/SignalContext.h"

#include "kernel/FaultStack.h"

#include <cstdint>

namespace WinApi {
namespace {

// Trap numbers the kernel leaves in the machine context.
constexpr greg_t TrapGeneralProtection = 13;
constexpr greg_t TrapX87 = 16;
constexpr greg_t TrapSimd = 19;

// Floating-point exception bits, the same in the x87 status word and in
// MXCSR's flags: invalid, denormal, zero divide, overflow, underflow,
// precision.
constexpr unsigned FloatInvalid = 0x01;
constexpr unsigned FloatDenormal = 0x02;
constexpr unsigned FloatZeroDivide = 0x04;
constexpr unsigned FloatOverflow = 0x08;
constexpr unsigned FloatUnderflow = 0x10;
constexpr unsigned FloatPrecision = 0x20;
constexpr unsigned FloatExceptions = 0x3F;
constexpr unsigned X87StackFault = 0x40;
constexpr unsigned X87ErrorSummary = 0x80;
constexpr unsigned MxcsrMaskShift = 7;

// The x87 register stack's invalid operation is a stack check when the stack
// fault bit says it over- or underflowed.
DWORD FloatCode(unsigned pending, bool stackFault) {
    if (pending & FloatInvalid)
        return stackFault ? EXCEPTION_FLT_STACK_CHECK : EXCEPTION_FLT_INVALID_OPERATION;
    if (pending & FloatDenormal)
        return EXCEPTION_FLT_DENORMAL_OPERAND;
    if (pending & FloatZeroDivide)
        return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    if (pending & FloatOverflow)
        return EXCEPTION_FLT_OVERFLOW;
    if (pending & FloatUnderflow)
        return EXCEPTION_FLT_UNDERFLOW;
    if (pending & FloatPrecision)
        return EXCEPTION_FLT_INEXACT_RESULT;
    return 0;
}

DWORD X87Code(const _libc_fpstate& state) {
    if (!(state.swd & X87ErrorSummary))
        return 0;
    return FloatCode(state.swd & ~state.cwd & FloatExceptions, state.swd & X87StackFault);
}

DWORD SimdCode(const _libc_fpstate& state) {
    return FloatCode(state.mxcsr & ~(state.mxcsr >> MxcsrMaskShift) & FloatExceptions, false);
}

// The kernel's signal code cannot tell a denormal operand from an underflow,
// so the cause is read from the unit that trapped: its exception flags that
// its control word leaves unmasked.
DWORD FloatingPointCode(const siginfo_t& info, const mcontext_t& machine) {
    switch (info.si_code) {
    case FPE_INTDIV:
        return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF:
        return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTSUB:
        return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
    default:
        break;
    }
    if (const _libc_fpstate* state = machine.fpregs) {
        const greg_t trap = machine.gregs[REG_TRAPNO];
        DWORD code = trap == TrapSimd ? SimdCode(*state) : trap == TrapX87 ? X87Code(*state) : 0;
        if (!code)
            code = X87Code(*state);
        if (!code)
            code = SimdCode(*state);
        if (code)
            return code;
    }
    switch (info.si_code) {
    case FPE_FLTDIV:
        return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF:
        return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND:
        return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES:
        return EXCEPTION_FLT_INEXACT_RESULT;
    default:
        return EXCEPTION_FLT_INVALID_OPERATION;
    }
}

// A general-protection fault is a privileged instruction when the instruction
// is one that only the kernel may run; otherwise it is an access the address
// space forbids.
bool IsPrivilegedInstruction(const unsigned char* code) {
    int i = 0;
    auto isPrefix = [](unsigned char byte) {
        return (byte >= 0x40 && byte <= 0x4F) || byte == 0x66 || byte == 0x67 || byte == 0xF2 ||
               byte == 0xF3 || byte == 0x26 || byte == 0x2E || byte == 0x36 || byte == 0x3E ||
               byte == 0x64 || byte == 0x65;
    };
    while (i < 4 && isPrefix(code[i]))
        ++i;
    const unsigned char first = code[i];
    if (first == 0xF4 || first == 0xFA || first == 0xFB) // hlt, cli, sti
        return true;
    if ((first >= 0xE4 && first <= 0xE7) || (first >= 0xEC && first <= 0xEF) ||
        (first >= 0x6C && first <= 0x6F)) // in, out, ins, outs
        return true;
    if (first != 0x0F)
        return false;
    switch (code[i + 1]) {
    case 0x01: // descriptor tables, swapgs, monitor
    case 0x06: // clts
    case 0x08: // invd
    case 0x09: // wbinvd
    case 0x20: // moves to and from control and debug registers
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x30: // wrmsr
    case 0x32: // rdmsr
    case 0x33: // rdpmc
    case 0x35: // sysexit
        return true;
    default:
        return false;
    }
}

// The page-fault error code: bit 1 a write, bit 4 an instruction fetch.
ULONG_PTR AccessKind(const mcontext_t& machine) {
    const greg_t error = machine.gregs[REG_ERR];
    if (error & 0x10)
        return 8;
    return (error & 0x2) ? 1 : 0;
}

} // namespace

void DescribeFault(int signal, const siginfo_t& info, const mcontext_t& machine,
                   EXCEPTION_RECORD& record) {
    const auto address = reinterpret_cast<std::uintptr_t>(info.si_addr);
    const auto stackPointer = static_cast<std::uintptr_t>(machine.gregs[REG_RSP]);
    const auto instruction = static_cast<std::uintptr_t>(machine.gregs[REG_RIP]);
    record.ExceptionAddress = reinterpret_cast<PVOID>(instruction);
    switch (signal) {
    case SIGFPE:
        record.ExceptionCode = FloatingPointCode(info, machine);
        return;
    case SIGILL:
        record.ExceptionCode = (info.si_code == ILL_PRVOPC || info.si_code == ILL_PRVREG)
                                   ? EXCEPTION_PRIV_INSTRUCTION
                                   : EXCEPTION_ILLEGAL_INSTRUCTION;
        return;
    case SIGTRAP:
        // A step, or a debug register's breakpoint, is reported at the
        // instruction to run next, as the system does; int3 after itself,
        // where the system reports the one-byte instruction.
        if (info.si_code == TRAP_TRACE || info.si_code == TRAP_HWBKPT) {
            record.ExceptionCode = EXCEPTION_SINGLE_STEP;
        } else {
            record.ExceptionCode = EXCEPTION_BREAKPOINT;
            record.ExceptionAddress = reinterpret_cast<PVOID>(instruction - 1);
        }
        return;
    case SIGBUS:
        if (info.si_code == BUS_ADRALN) {
            record.ExceptionCode = EXCEPTION_DATATYPE_MISALIGNMENT;
            return;
        }
        record.ExceptionCode = EXCEPTION_IN_PAGE_ERROR;
        break;
    default:
        if (info.si_code == SI_KERNEL) {
            const bool privileged =
                machine.gregs[REG_TRAPNO] == TrapGeneralProtection &&
                IsPrivilegedInstruction(reinterpret_cast<const unsigned char*>(instruction));
            record.ExceptionCode =
                privileged ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ACCESS_VIOLATION;
            if (privileged)
                return;
        } else if (IsStackOverflow(address, stackPointer)) {
            record.ExceptionCode = EXCEPTION_STACK_OVERFLOW;
        } else {
            record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
        }
        break;
    }
    record.NumberParameters = 2;
    record.ExceptionInformation[0] = AccessKind(machine);
    record.ExceptionInformation[1] = address;
}

} // namespace WinApi
