// Faults and RunError become run-time errors: each program starts through
// the process entry in a child process and ends with its report.
#define DEFINE_FAULT_ROUTINES
#include "tests/support/FaultRoutines.h"

#include "kernel/ProcessExit.h"
#include "runtime/Faults.h"
#include "runtime/FloatingPoint.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/TerminalScreen.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <tuple>
#include <unistd.h>

// Two frames whose return addresses the test knows: RaiseThroughTwoFrames(n)
// calls an inner routine that calls Runtime::RunError(n) by its mangled name.
extern "C" {
void RaiseThroughTwoFrames(std::uint16_t errorNumber);
extern const char AfterRunErrorCall[], AfterRaiseInnerCall[];
}
// clang-format off
asm(".text\n" FAULT(RaiseThroughTwoFrames, "", "call RaiseInner\n" FAULT_LABEL(AfterRaiseInnerCall))
    FAULT(RaiseInner, "", "call _ZN7Runtime8RunErrorEt\n" FAULT_LABEL(AfterRunErrorCall)));
// clang-format on

namespace {

using namespace Runtime;
using namespace FaultTest;

void (*Program)();

// Runs program through the process entry, after the modules' initialisation.
void RunThroughEntry() {
    ExeEntry([] {
        InitializeUnits();
        Program();
    });
}

TestSupport::ChildResult RunProgram(void (*program)()) {
    Program = program;
    return TestSupport::RunInChild(RunThroughEntry);
}

void OverflowOnCreatedThread() {
    auto recurse = [](LPVOID) -> DWORD {
        FaultStackOverflow();
        return 0;
    };
    WaitForSingleObject(CreateThread(nullptr, 1 << 22, recurse, nullptr, 0, nullptr), INFINITE);
}

// As a library starts its threads, past CreateThread.
void OverflowOnPosixThread() {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    pthread_t thread;
    auto recurse = [](void*) -> void* {
        FaultStackOverflow();
        return nullptr;
    };
    if (pthread_create(&thread, &attributes, recurse, nullptr) == 0)
        pthread_join(thread, nullptr);
}

char* volatile Kept;

struct FaultRow {
    const char* Name;
    void (*Program)();
    int ErrorNumber;
    const char* At;         // the faulting instruction, when known
    const char* FirstFrame; // the return address the dump starts with, when known
};

const FaultRow Faults[] = {
    {"RunError", [] { RaiseThroughTwoFrames(123); }, 123, AfterRunErrorCall, AfterRaiseInnerCall},
    {"IntegerDivide", CallIntegerDivide, 200, FaultIntegerDivideAt, AfterIntegerDivideCall},
    {"AccessViolation", FaultNullRead, 216, FaultNullReadAt, nullptr},
    {"X87Overflow", [] { FaultX87Overflow(FPUCW); }, 205, FaultX87OverflowAt, nullptr},
    {"X87ZeroDivide", [] { FaultX87ZeroDivide(FPUCW); }, 200, FaultX87ZeroDivideAt, nullptr},
    {"X87Invalid", [] { FaultX87Invalid(FPUCW); }, 207, FaultX87InvalidAt, nullptr},
    {"X87Denormal", [] { FaultX87Denormal(FPUCW & ~0x2); }, 216, FaultX87DenormalAt, nullptr},
    {"SseZeroDivide", [] { FaultSseZeroDivide(MatchingMXCSR); }, 200, FaultSseZeroDivideAt,
     nullptr},
    {"SseInvalid", [] { FaultSseInvalid(MatchingMXCSR); }, 207, FaultSseInvalidAt, nullptr},
    {"RoundOutOfRange", [] { (void)Round(3e9L); }, 207, nullptr, nullptr},
    {"StackOverflow", FaultStackOverflow, 202, nullptr, AfterRecursiveCall},
    {"StackOverflowOnCreatedThread", OverflowOnCreatedThread, 202, nullptr, AfterRecursiveCall},
    {"StackOverflowOnPosixThread", OverflowOnPosixThread, 202, nullptr, AfterRecursiveCall},
    {"SingleStep", FaultSingleStep, 217, FaultSingleStepAt, nullptr},
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A sanitizer's allocator ends the process itself rather than ask the
    // new-handler.
    {"OutOfMemory", [] { Kept = new char[std::size_t{1} << 46]; }, 203, nullptr, nullptr},
#endif
};

TEST(Faults, BecomeTheirRunTimeErrorsReportedAtTheFaultingInstructionAndFrame) {
    for (const FaultRow& row : Faults) {
        auto result = RunProgram(row.Program);
        EXPECT_EQ(result.ExitCode, row.ErrorNumber) << row.Name;
        const std::vector<std::string> addresses =
            ReportedAddresses(result.StdOut, row.ErrorNumber);
        ASSERT_GE(addresses.size(), 2u) << row.Name;
        if (row.At) {
            EXPECT_EQ(addresses[0], Hex8(row.At)) << row.Name;
        }
        if (row.FirstFrame) {
            EXPECT_EQ(addresses[1], Hex8(row.FirstFrame)) << row.Name;
        }
    }
}

ExitProcedure SavedExit;

// The x87 overflow happens under another rounding mode, so that only a reset
// of the unit gives the first exit procedure the program's control word; the
// second exit procedure faults again, and the earlier one still runs.
TEST(Faults, ExitProceduresRunWithTheProgramControlWordAndAFaultInOneIsReported) {
    auto result = RunProgram([] {
        ExitProc = [] {
            std::uint16_t control, status;
            asm volatile("fnstcw %0\n\tfnstsw %1" : "=m"(control), "=m"(status));
            char text[64]; // bit 6 of the control word is reserved and reads as set
            std::snprintf(text, sizeof text, "control %04X pending %02X", control & 0xFFBF,
                          status & 0xFF);
            WriteLn(StdOut, text);
        };
        SavedExit = ExitProc;
        ExitProc = [] {
            ExitProc = SavedExit;
            FaultIntegerDivide();
        };
        FaultX87Overflow(0x1F32);
    });
    EXPECT_EQ(result.ExitCode, 200);
    EXPECT_EQ(result.StdOut.rfind("control 1332 pending 00\r\nRuntime error 200 at 0x" +
                                      Hex8(FaultIntegerDivideAt) + "\r\n",
                                  0),
              0u)
        << result.StdOut;
}

struct DeclinedRow {
    const char* Name;
    void (*Program)();
    int Signal;
};

const DeclinedRow Declined[] = {
    {"InexactResult", [] { FaultSseInexact(MatchingMXCSR & ~0x1000u); }, SIGFPE},
    {"NoFramePointer", FaultWithoutFrame, SIGILL},
    {"Breakpoint", FaultBreakpoint, SIGTRAP},
    {"SixteenFaultsPending",
     [] {
         ExceptLevel = MaxExceptLevel;
         FaultIntegerDivide();
     },
     SIGFPE},
};

TEST(Faults, DeclinedOnesEndTheProcessBySignalAfterTheExitHooksWithoutAReport) {
    static void (*declined)();
    for (const DeclinedRow& row : Declined) {
        declined = row.Program;
        auto result = RunProgram([] {
            WinApi::AtProcessExit(SayExitHooksRan);
            declined();
        });
        EXPECT_EQ(result.Signal, row.Signal) << row.Name;
        EXPECT_EQ(result.StdOut, "exit hooks\n");
    }
}

[[gnu::noinline]] void FaultAtDepth(int depth) {
    if (depth > 0)
        FaultAtDepth(depth - 1);
    else
        FaultIntegerDivide();
    asm volatile("" ::: "memory"); // keeps the recursion a real one
}

// Twenty calls deep: the address line and nine frame lines on a terminal, all
// frames elsewhere.
TEST(Faults, StackDumpIsCutAtNineFramesOnATerminalButNotElsewhere) {
    Program = [] { FaultAtDepth(20); };
    TestSupport::PtyProcess terminal(RunThroughEntry);
    EXPECT_EQ(terminal.Wait(30), 200);
    TestSupport::TerminalScreen screen;
    screen.Feed(terminal.Output());
    int shown = 0;
    for (int y = 0; y < 25; ++y)
        shown += screen.Row(y).rfind("  0x", 0) == 0;
    EXPECT_EQ(shown, 1 + 9) << terminal.Output();
    EXPECT_GT(ReportedAddresses(RunProgram(Program).StdOut, 200).size(), 1u + 21u);
}

// 32-bit Windows reports SSE faults as multiple faults or traps: the MXCSR
// flags pick the run-time error, and the dispatch is entered with the stack
// as a call leaves it.
TEST(Faults, MultipleFaultsAndTrapsTakeTheirErrorFromTheMxcsrFlags) {
    const std::tuple<DWORD, DWORD, int> rows[] = {
        {0xC00002B4, 0x1904, 200}, {0xC00002B5, 0x1901, 207}, {0xC00002B5, 0x1908, 205},
        {0xC00002B4, 0x1910, 206}, {0xC00002B5, 0x190C, 200},
    };
    alignas(16) unsigned char stack[256];
    for (const auto& [code, mxcsr, errorNumber] : rows) {
        EXCEPTION_RECORD record{};
        record.ExceptionCode = code;
        CONTEXT context{};
        context.MxCsr = mxcsr;
        context.Rsp = reinterpret_cast<DWORD64>(stack + 101);
        context.Rbp = reinterpret_cast<DWORD64>(stack + 200);
        EXCEPTION_POINTERS pointers{&record, &context};
        ASSERT_EQ(ExceptionFilter(&pointers), EXCEPTION_CONTINUE_EXECUTION);
        ASSERT_EQ(ExceptLevel, 1);
        EXPECT_EQ(ExceptError[0], errorNumber) << std::hex << mxcsr;
        EXPECT_EQ((context.Rsp + 8) % 16, 0u);
        EXPECT_LE(context.Rsp, reinterpret_cast<DWORD64>(stack + 101));
        EXPECT_EQ(context.MxCsr & 0x3F, 0u);
        ExceptLevel = 0;
    }
}

} // namespace
