// The unhandled-exception filter: the exception each real fault becomes and
// the end by signal when the filter declines. Every case faults in a child.
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
    // A signal sent from outside is no fault: the filter is not asked.
    {"Sent", [] { ::raise(SIGILL); }, nullptr, SIGILL},
};

TEST(ExceptionFilter, SeesEachFaultAsItsExceptionAndADeclinedOneEndsTheProcessBySignal) {
    static void (*body)();
    for (const FaultRow& row : Faults) {
        SCOPED_TRACE(row.Name);
        body = row.Body;
        auto result = TestSupport::RunInChild([] {
            WinApi::AtProcessExit(SayExitHooksRan);
            SetUnhandledExceptionFilter(ReportAndDecline);
            body();
        });
        EXPECT_EQ(result.Signal, row.Signal);
        EXPECT_EQ(result.StdOut, (row.Code ? row.Code + std::string("\n") : "") + "exit hooks\n");
    }
}

} // namespace
