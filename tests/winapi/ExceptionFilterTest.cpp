// The unhandled-exception filter: the exception each real fault becomes, the
// end by signal when the filter declines, and a thread resumed with the
// context the filter wrote. Every case faults in a child process.
#define DEFINE_FAULT_ROUTINES
#include "tests/support/FaultRoutines.h"

#include "kernel/ProcessExit.h"
#include "tests/support/ChildProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using namespace FaultTest;
using TestSupport::RunInChild;

// The exception code in eight hexadecimal digits, written without allocating:
// the filter runs in signal context.
LONG WINAPI ReportAndDecline(EXCEPTION_POINTERS* info) {
    char line[9];
    for (int i = 0; i < 8; ++i)
        line[i] = "0123456789ABCDEF"[(info->ExceptionRecord->ExceptionCode >> (28 - 4 * i)) & 0xF];
    line[8] = '\n';
    if (::write(1, line, sizeof line) < 0)
        ::_exit(90);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A mapping that reaches past the end of its file, whose last page is backed
// by nothing.
void ReadBeyondTheMappedFile() {
    const long page = ::sysconf(_SC_PAGESIZE);
    int file = ::memfd_create("short", 0);
    if (file < 0 || ::ftruncate(file, page) != 0)
        ::_exit(91);
    auto* bytes =
        static_cast<volatile char*>(::mmap(nullptr, 2 * page, PROT_READ, MAP_SHARED, file, 0));
    (void)bytes[page];
}

struct FaultRow {
    const char* Name;
    void (*Body)();
    const char* Code;
    int Signal;
};

const FaultRow Faults[] = {
    {"Illegal", FaultIllegal, "C000001D", SIGILL},
    {"Privileged", FaultPrivileged, "C0000096", SIGSEGV},
    {"InPage", ReadBeyondTheMappedFile, "C0000006", SIGBUS},
    {"SingleStep", FaultSingleStep, "80000004", SIGTRAP},
    {"Breakpoint", FaultBreakpoint, "80000003", SIGTRAP},
    {"X87StackCheck", [] { FaultX87StackCheck(0x1332); }, "C0000092", SIGFPE},
    {"SseInexact", [] { FaultSseInexact(0x0900); }, "C000008F", SIGFPE},
    {"SseDenormal", [] { FaultSseDenormal(0x1800); }, "C000008D", SIGFPE},
};

TEST(ExceptionFilter, SeesEachFaultAsItsExceptionAndADeclinedOneEndsTheProcessBySignal) {
    static void (*body)();
    for (const FaultRow& row : Faults) {
        SCOPED_TRACE(row.Name);
        body = row.Body;
        auto result = RunInChild([] {
            WinApi::AtProcessExit(SayExitHooksRan);
            SetUnhandledExceptionFilter(ReportAndDecline);
            body();
        });
        EXPECT_EQ(result.Signal, row.Signal);
        EXPECT_EQ(result.StdOut, std::string(row.Code) + "\nexit hooks\n");
    }
}

// Masks a floating-point division by zero in the unit that raised it and
// resumes the thread: the SSE division runs again and gives infinity; the x87
// unit forgets the exception it was about to deliver, and its unmasked
// division stored nothing. (The run-time errors resume at a new address.)
LONG WINAPI MendAndContinue(EXCEPTION_POINTERS* info) {
    CONTEXT& context = *info->ContextRecord;
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_FLT_DIVIDE_BY_ZERO)
        return EXCEPTION_CONTINUE_SEARCH;
    if (context.FltSave.StatusWord & 0x80) {
        context.FltSave.ControlWord |= 0x3F;
        context.FltSave.StatusWord &= 0x7F00;
    } else {
        context.FltSave.MxCsr |= 0x200;
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

struct ResumeRow {
    const char* Name;
    std::string (*Body)();
    const char* Expected;
};

const ResumeRow Resumptions[] = {
    {"SseUnderTheFilterMxcsr",
     [] {
         double quotient = FaultSseZeroDivide(0x1900);
         std::uint32_t mxcsr;
         asm volatile("stmxcsr %0" : "=m"(mxcsr));
         return std::to_string(quotient) + " " + std::to_string(mxcsr & 0x200);
     },
     "inf 512"},
    {"X87UnderTheFilterControlWord",
     [] {
         long double quotient = FaultX87ZeroDivide(0x1332);
         std::uint16_t control;
         asm volatile("fnstcw %0" : "=m"(control));
         return std::to_string(static_cast<double>(quotient)) + " " +
                std::to_string(control & 0x3F);
     },
     "1.000000 63"},
};

TEST(ExceptionFilter, ContinueExecutionResumesTheThreadWithTheContextTheFilterWrote) {
    static std::string (*body)();
    for (const ResumeRow& row : Resumptions) {
        SCOPED_TRACE(row.Name);
        body = row.Body;
        auto result = RunInChild([] {
            SetUnhandledExceptionFilter(MendAndContinue);
            Emit(body());
        });
        EXPECT_EQ(result.ExitCode, 0);
        EXPECT_EQ(result.StdOut, std::string(row.Expected) + "\n");
    }
}

// A signal sent from outside is no fault: the filter is not asked.
TEST(ExceptionFilter, ASentSignalIsNotAFault) {
    auto sent = RunInChild([] {
        SetUnhandledExceptionFilter(ReportAndDecline);
        ::raise(SIGILL);
        Emit("survived");
    });
    EXPECT_EQ(sent.Signal, SIGILL);
    EXPECT_EQ(sent.StdOut, "");
}

} // namespace
