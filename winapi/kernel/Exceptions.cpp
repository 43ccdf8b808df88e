// Processor and floating-point faults as Windows exceptions.
//
// One signal handler serves SIGFPE, SIGSEGV, SIGBUS, SIGILL and SIGTRAP on
// every thread, on the thread's alternate stack. It turns the signal into an
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
#include "kernel/SignalContext.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace WinApi {
namespace {

// Read by the handler, so it must never take a lock.
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> Filter{nullptr};
static_assert(std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER>::is_always_lock_free);
std::once_flag HandlersInstalled;

constexpr int FaultSignals[] = {SIGFPE, SIGSEGV, SIGBUS, SIGILL, SIGTRAP};

void TakeDefaultAction(int signal, const siginfo_t& info) {
    RunProcessExitHooks();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    // A fault repeats as soon as its instruction runs again. A signal that
    // was sent, or a trap (it is reported once its instruction has run), is
    // raised once more; it arrives when the handler returns.
    if (info.si_code <= 0 || signal == SIGTRAP)
        ::raise(signal);
}

// The processor's single-step flag in the flags register.
constexpr greg_t TrapFlag = 0x100;

void OnFault(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    auto& machine = static_cast<ucontext_t*>(context)->uc_mcontext;
    // A single step is one step: the thread goes on without the flag, as it
    // does on the system, wherever it is resumed.
    if (signal == SIGTRAP && info->si_code == TRAP_TRACE)
        machine.gregs[REG_EFL] &= ~TrapFlag;
    // Only a fault of the thread's own instructions (a signal from the
    // kernel) is an exception; a filter has nothing to mend in a sent one.
    if (LPTOP_LEVEL_EXCEPTION_FILTER filter = Filter.load(); filter && info->si_code > 0) {
        EXCEPTION_RECORD record;
        CONTEXT processorContext;
        std::memset(&record, 0, sizeof record);
        std::memset(&processorContext, 0, sizeof processorContext);
        DescribeFault(signal, *info, machine, record);
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
