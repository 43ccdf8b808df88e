// Processor and floating-point faults as Windows exceptions.
//
// One signal handler serves SIGFPE, SIGSEGV, SIGBUS and SIGILL on every
// thread, on the thread's alternate stack. It turns the signal into an
// EXCEPTION_RECORD with the Windows code of the fault's cause and the machine
// context into a CONTEXT, and asks the process's unhandled-exception filter.
// EXCEPTION_CONTINUE_EXECUTION writes the CONTEXT back into the machine
// context, so the thread resumes wherever the filter pointed it. Any other
// answer, or no filter, gets the system's default: the layer's exit hooks put
// back what the process changed outside itself, the signal's action goes back
// to the default, and the handler returns; the faulting instruction runs
// again, faults again and ends the process by the signal.
//
// The handler runs in signal context: it allocates nothing, takes no lock
// and calls only async-signal-safe functions.
#include "kernel/FaultStack.h"
#include "kernel/ProcessExit.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

namespace WinApi {
namespace {

constexpr std::size_t AlternateStackSize = 64 * 1024;

// How far from the stack pointer a fault still counts as running out of
// stack: a frame is set up by moving the stack pointer and then touching the
// new frame, and the first touch may lie anywhere in it.
constexpr std::uintptr_t FrameReach = 64 * 1024;

// The calling thread's stack: its lowest usable byte (0 when unknown) and how
// far below it an access counts as one into the guard area.
thread_local std::uintptr_t StackLow = 0;
thread_local std::uintptr_t GuardReach = 0;

void RecordStackBounds() {
    pthread_attr_t attributes;
    if (::pthread_getattr_np(::pthread_self(), &attributes) != 0)
        return;
    void* low = nullptr;
    std::size_t size = 0;
    std::size_t guard = 0;
    if (::pthread_attr_getstack(&attributes, &low, &size) == 0) {
        ::pthread_attr_getguardsize(&attributes, &guard);
        StackLow = reinterpret_cast<std::uintptr_t>(low);
        // The main thread reports no guard; the kernel keeps a gap below its
        // stack instead.
        GuardReach = guard > FrameReach ? guard : FrameReach;
    }
    ::pthread_attr_destroy(&attributes);
}

} // namespace

ThreadFaultStack::ThreadFaultStack() {
    RecordStackBounds();
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))
        return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t size = AlternateStackSize + page;
    void* mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED)
        return;
    // The lowest page stays out of reach, so that a handler overrunning the
    // stack faults rather than writing over whatever lies below.
    ::mprotect(mapping, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(mapping) + page;
    stack.ss_size = AlternateStackSize;
    if (::sigaltstack(&stack, nullptr) != 0) {
        ::munmap(mapping, size);
        return;
    }
    Mapping = mapping;
    MappingSize = size;
}

ThreadFaultStack::~ThreadFaultStack() {
    if (!Mapping)
        return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    ::sigaltstack(&off, nullptr);
    ::munmap(Mapping, MappingSize);
}

bool IsStackOverflow(std::uintptr_t address, std::uintptr_t stackPointer) {
    const bool nearStackPointer = address <= stackPointer ? stackPointer - address <= FrameReach
                                                          : address - stackPointer < FrameReach;
    const bool inGuard = StackLow != 0 && address < StackLow && StackLow - address <= GuardReach;
    return nearStackPointer || inGuard;
}

namespace {

// Read by the handler, so it must never take a lock.
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> Filter{nullptr};
static_assert(std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER>::is_always_lock_free);
std::once_flag HandlersInstalled;

constexpr int FaultSignals[] = {SIGFPE, SIGSEGV, SIGBUS, SIGILL};

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

void Describe(int signal, const siginfo_t& info, const mcontext_t& machine,
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

// The kernel saves the floating-point state in XSAVE form when it can; a
// component whose bit is clear in the saved header is restored to its initial
// state, whatever its legacy area holds.
constexpr std::uint32_t XsaveMagic = 0x46505853;
constexpr std::size_t SoftwareBytesOffset = 464;
constexpr std::size_t XsaveHeaderOffset = 512;
constexpr std::uint64_t X87AndSse = 0x3;

bool HasXsaveHeader(const _libc_fpstate& state) {
    std::uint32_t magic = 0;
    std::memcpy(&magic, reinterpret_cast<const char*>(&state) + SoftwareBytesOffset, sizeof magic);
    return magic == XsaveMagic;
}

void ReadContext(const mcontext_t& machine, CONTEXT& context) {
    const greg_t* g = machine.gregs;
    auto reg = [g](int index) { return static_cast<DWORD64>(g[index]); };
    context.ContextFlags = CONTEXT_FULL | CONTEXT_SEGMENTS;
    context.Rax = reg(REG_RAX);
    context.Rcx = reg(REG_RCX);
    context.Rdx = reg(REG_RDX);
    context.Rbx = reg(REG_RBX);
    context.Rsp = reg(REG_RSP);
    context.Rbp = reg(REG_RBP);
    context.Rsi = reg(REG_RSI);
    context.Rdi = reg(REG_RDI);
    context.R8 = reg(REG_R8);
    context.R9 = reg(REG_R9);
    context.R10 = reg(REG_R10);
    context.R11 = reg(REG_R11);
    context.R12 = reg(REG_R12);
    context.R13 = reg(REG_R13);
    context.R14 = reg(REG_R14);
    context.R15 = reg(REG_R15);
    context.Rip = reg(REG_RIP);
    // The flags register's upper half is reserved and always zero.
    context.EFlags = static_cast<DWORD>(reg(REG_EFL) & 0xFFFFFFFFu);
    // Code, GS, FS and stack selectors, 16 bits each from the low end.
    std::uint16_t selectors[4];
    std::memcpy(selectors, &g[REG_CSGSFS], sizeof selectors);
    context.SegCs = selectors[0];
    context.SegGs = selectors[1];
    context.SegFs = selectors[2];
    context.SegSs = selectors[3];
    if (const _libc_fpstate* state = machine.fpregs) {
        static_assert(sizeof(*state) == sizeof(context.FltSave));
        std::memcpy(&context.FltSave, state, sizeof context.FltSave);
        context.MxCsr = context.FltSave.MxCsr;
    }
}

void WriteContext(const CONTEXT& context, mcontext_t& machine) {
    greg_t* g = machine.gregs;
    auto set = [g](int index, DWORD64 value) { g[index] = static_cast<greg_t>(value); };
    set(REG_RAX, context.Rax);
    set(REG_RCX, context.Rcx);
    set(REG_RDX, context.Rdx);
    set(REG_RBX, context.Rbx);
    set(REG_RSP, context.Rsp);
    set(REG_RBP, context.Rbp);
    set(REG_RSI, context.Rsi);
    set(REG_RDI, context.Rdi);
    set(REG_R8, context.R8);
    set(REG_R9, context.R9);
    set(REG_R10, context.R10);
    set(REG_R11, context.R11);
    set(REG_R12, context.R12);
    set(REG_R13, context.R13);
    set(REG_R14, context.R14);
    set(REG_R15, context.R15);
    set(REG_RIP, context.Rip);
    set(REG_EFL, context.EFlags); // the kernel keeps the flags user mode may not change
    _libc_fpstate* state = machine.fpregs;
    if (!state)
        return;
    // MXCSR is in the context twice; a filter may have changed either copy.
    const DWORD mxcsr = context.MxCsr != state->mxcsr ? context.MxCsr : context.FltSave.MxCsr;
    const DWORD writable = state->mxcr_mask ? state->mxcr_mask : 0xFFBFu;
    state->cwd = context.FltSave.ControlWord;
    state->swd = context.FltSave.StatusWord;
    state->ftw = context.FltSave.TagWord;
    state->mxcsr = mxcsr & writable;
    static_assert(sizeof state->_st == sizeof context.FltSave.FloatRegisters);
    static_assert(sizeof state->_xmm == sizeof context.FltSave.XmmRegisters);
    std::memcpy(state->_st, context.FltSave.FloatRegisters, sizeof state->_st);
    std::memcpy(state->_xmm, context.FltSave.XmmRegisters, sizeof state->_xmm);
    if (HasXsaveHeader(*state)) {
        char* header = reinterpret_cast<char*>(state) + XsaveHeaderOffset;
        std::uint64_t present = 0;
        std::memcpy(&present, header, sizeof present);
        present |= X87AndSse;
        std::memcpy(header, &present, sizeof present);
    }
}

void TakeDefaultAction(int signal, const siginfo_t& info) {
    RunProcessExitHooks();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    // A fault repeats as soon as its instruction runs again. A signal that
    // was sent is sent once more; it arrives when the handler returns.
    if (info.si_code <= 0)
        ::raise(signal);
}

void OnFault(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    auto& machine = static_cast<ucontext_t*>(context)->uc_mcontext;
    // Only a fault of the thread's own instructions (a signal from the
    // kernel) is an exception; a filter has nothing to mend in a sent one.
    if (LPTOP_LEVEL_EXCEPTION_FILTER filter = Filter.load(); filter && info->si_code > 0) {
        EXCEPTION_RECORD record;
        CONTEXT processorContext;
        std::memset(&record, 0, sizeof record);
        std::memset(&processorContext, 0, sizeof processorContext);
        Describe(signal, *info, machine, record);
        ReadContext(machine, processorContext);
        EXCEPTION_POINTERS pointers{&record, &processorContext};
        if (filter(&pointers) == EXCEPTION_CONTINUE_EXECUTION) {
            WriteContext(processorContext, machine);
            errno = savedErrno;
            return;
        }
    }
    TakeDefaultAction(signal, *info);
    errno = savedErrno;
}

void InstallHandlers() {
    // The installing thread, the main thread in a program, keeps its
    // alternate stack for the rest of the process.
    static ThreadFaultStack* const InstallerStack = new ThreadFaultStack;
    (void)InstallerStack;
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A fault inside the handler (or the filter) ends the process at once
    // rather than entering the handler again.
    sigemptyset(&action.sa_mask);
    for (int signal : FaultSignals)
        sigaddset(&action.sa_mask, signal);
    for (int signal : FaultSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace
} // namespace WinApi

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI
SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER lpTopLevelExceptionFilter) {
    if (lpTopLevelExceptionFilter)
        std::call_once(WinApi::HandlersInstalled, WinApi::InstallHandlers);
    return WinApi::Filter.exchange(lpTopLevelExceptionFilter);
}
