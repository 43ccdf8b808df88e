// Start-up, the exit procedure chain, finalisation, Halt and run-time errors,
// each run in a child process because every way out ends the process.
#include "runtime/Lifecycle.h"
#include "RuntimeTestSupport.h"
#include "runtime/FloatingPoint.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Runtime;
using RuntimeTest::CrLfLines;
using RuntimeTest::Say;
using StringList = std::vector<std::string>;

// Three exit procedures that follow the chain protocol and say whether they
// found themselves detached from ExitProc and whether the pending I/O result
// was cleared for them.
ExitProcedure SavedExit[3];

template <int I>
void ChainedExit() {
    std::string line = "exit " + std::to_string(I);
    line += ExitProc == nullptr ? " detached" : " attached";
    ExitProc = SavedExit[I];
    Say(line);
    InOutRes = 77; // must not reach the next procedure
}

template <int I>
void InstallExit() {
    SavedExit[I] = ExitProc;
    ExitProc = ChainedExit<I>;
}

TEST(ExitChain, RunsFromLastInstalledToFirstEachRestoringItsPredecessor) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        InstallExit<0>();
        InstallExit<1>();
        InstallExit<2>();
        InOutRes = 5;
        Halt(3);
    });
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_EQ(CrLfLines(result.StdOut),
              (StringList{"exit 2 detached", "exit 1 detached", "exit 0 detached"}));
}

TEST(ProgramEnd, NormalEndPrintsNothingAndExitsWithZero) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        DoExit();
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "");
}

TEST(ProgramEnd, HaltExitsWithItsCodeAndNoReport) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        Halt(42);
    });
    EXPECT_EQ(result.ExitCode, 42);
    EXPECT_EQ(result.StdOut, "");
}

TEST(ProgramEnd, RunErrorExitsWithItsNumberAndReports) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        RunError(216);
    });
    EXPECT_EQ(result.ExitCode, 216);
    EXPECT_EQ(result.StdOut.rfind("Runtime error 216 at 0x", 0), 0u) << result.StdOut;
}

TEST(ProgramEnd, HaltDuringAnErrorExitKeepsTheReport) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        ExitProc = [] { Halt(4); };
        RunError(201);
    });
    EXPECT_EQ(result.ExitCode, 4);
    EXPECT_EQ(result.StdOut.rfind("Runtime error 201 at 0x", 0), 0u) << result.StdOut;
}

TEST(ProgramEnd, IOCheckRaisesThePendingResultAndClearsIt) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        IOCheck();
        Say("no result, no error");
        InOutRes = 103;
        ExitProc = [] { Say(InOutRes == 0 ? "cleared" : "still pending"); };
        IOCheck();
    });
    EXPECT_EQ(result.ExitCode, 103);
    StringList lines = CrLfLines(result.StdOut);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "no result, no error");
    EXPECT_EQ(lines[1], "cleared");
    EXPECT_EQ(lines[2].rfind("Runtime error 103 at 0x", 0), 0u);
}

// Module table entries 3 and 4 of the test, and logging around the
// runtime's own finalisations (entry 0 has none).
UnitProcedure RuntimeFinalization[UnitCount];

template <int I>
void LoggedFinalization() {
    Say("final " + std::to_string(I));
    if (RuntimeFinalization[I])
        RuntimeFinalization[I]();
}

template <int I>
void LoggedInitialization() {
    Say("init " + std::to_string(I));
}

void LogRuntimeFinalizations() {
    for (int i = 0; i < 3; ++i)
        RuntimeFinalization[i] = InitFinal.Entries[i].Finalization;
    InitFinal.Entries[0].Finalization = LoggedFinalization<0>;
    InitFinal.Entries[1].Finalization = LoggedFinalization<1>;
    InitFinal.Entries[2].Finalization = LoggedFinalization<2>;
}

TEST(Finalization, RunsInReverseOrderAfterTheExitProcedures) {
    auto result = TestSupport::RunInChild([] {
        LogRuntimeFinalizations();
        InitFinal.Entries[3] = {LoggedInitialization<3>, LoggedFinalization<3>};
        InitFinal.Entries[4] = {LoggedInitialization<4>, LoggedFinalization<4>};
        InitializeUnits();
        ExitProc = [] { Say("exit"); };
        DoExit();
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"init 3", "init 4", "exit", "final 4",
                                                    "final 3", "final 2", "final 1", "final 0"}));
}

TEST(Finalization, HaltInTheFourthInitializationFinalizesOnlyTheFirstThree) {
    auto result = TestSupport::RunInChild([] {
        LogRuntimeFinalizations();
        InitFinal.Entries[3] = {[] { Halt(1); }, LoggedFinalization<3>};
        InitFinal.Entries[4] = {LoggedInitialization<4>, LoggedFinalization<4>};
        InitializeUnits();
    });
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"final 2", "final 1", "final 0"}));
}

TEST(Finalization, ErrorInAFinalizationRunsEachOfTheRestOnce) {
    auto result = TestSupport::RunInChild([] {
        InitFinal.Entries[3] = {nullptr, LoggedFinalization<3>};
        InitFinal.Entries[4] = {nullptr, [] {
                                    Say("final 4");
                                    RunError(204);
                                }};
        InitializeUnits();
        Halt(2);
    });
    EXPECT_EQ(result.ExitCode, 204);
    StringList lines = CrLfLines(result.StdOut);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "final 4");
    EXPECT_EQ(lines[1], "final 3");
    EXPECT_EQ(lines[2].rfind("Runtime error 204 at 0x", 0), 0u);
    EXPECT_EQ(result.StdOut.find("Runtime error", result.StdOut.find("Runtime error") + 1),
              std::string::npos)
        << "one report only";
}

TEST(ExitReentrance, ErrorInAnExitProcedureContinuesTheExitAndReportsTheSecondError) {
    auto result = TestSupport::RunInChild([] {
        InitFinal.Entries[3] = {nullptr, [] {
                                    InOutRes = 0; // left pending by the last exit procedure
                                    Say("final 3");
                                }};
        InitializeUnits();
        InstallExit<0>();
        InstallExit<1>();
        static ExitProcedure saved = ExitProc;
        ExitProc = [] {
            ExitProc = saved;
            Say("failing exit");
            RunError(202);
            Say("never resumed");
        };
        RunError(200);
    });
    EXPECT_EQ(result.ExitCode, 202);
    StringList lines = CrLfLines(result.StdOut);
    ASSERT_GE(lines.size(), 6u) << result.StdOut;
    EXPECT_EQ(lines[0], "failing exit");
    EXPECT_EQ(lines[1], "exit 1 detached");
    EXPECT_EQ(lines[2], "exit 0 detached");
    EXPECT_EQ(lines[3], "final 3");
    EXPECT_EQ(lines[4].rfind("Runtime error 202 at 0x", 0), 0u);
    EXPECT_EQ(result.StdOut.find("never resumed"), std::string::npos);
    EXPECT_EQ(result.StdOut.find("Runtime error 200"), std::string::npos);
}

TEST(StartUp, CoreInitializationBindsTheStandardFiles) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        bool bound = StdInputHandle == GetStdHandle(STD_INPUT_HANDLE) &&
                     StdOutputHandle == GetStdHandle(STD_OUTPUT_HANDLE) &&
                     StdErrorHandle == GetStdHandle(STD_ERROR_HANDLE) &&
                     Input.Handle == StdInputHandle && Input.Mode == ModeInput &&
                     Output.Handle == StdOutputHandle && Output.Mode == ModeOutput &&
                     StdOut.Handle == StdOutputHandle && StdOut.Mode == ModeOutput &&
                     StdErr.Handle == StdErrorHandle && StdErr.Mode == ModeOutput;
        Say(bound ? "bound" : "not bound");
        Say(MainInstance && MainInstance == GetModuleHandleA(nullptr) ? "instance" : "no instance");
        WriteLn(StdErr, "to stderr");
        WriteLn(Output, "to output");
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "bound\r\ninstance\r\nto output\r\n");
    EXPECT_EQ(result.StdErr, "to stderr\r\n");
}

TEST(StartUp, DiskServicesHoldKernel32UntilFinalized) {
    auto result = TestSupport::RunInChild([] {
        HMODULE kernel32 = GetModuleHandleA("kernel32");
        InitializeUnits();
        // Releasing a reference proves that one was held; take it back.
        Say(FreeLibrary(kernel32) ? "loaded" : "not loaded");
        LoadLibraryA("kernel32");
        FinalizeUnits();
        Say(FreeLibrary(kernel32) ? "still loaded" : "freed");
    });
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"loaded", "freed"}));
}

TEST(StartUp, ExeEntryLoadsTheControlWordAndRunsTheProgram) {
    auto result = TestSupport::RunInChild([] {
        std::uint32_t dirty = 0x1F80 | 0x3F; // all masked, every flag pending
        asm volatile("ldmxcsr %0" : : "m"(dirty));
        ExeEntry([] {
            InitializeUnits();
            std::uint16_t controlWord = 0;
            std::uint32_t mxcsr = 0;
            asm volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(controlWord), "=m"(mxcsr));
            // Bit 6 of the control word is reserved and reads as set.
            Say((controlWord | 0x40) == (FPUCW | 0x40) ? "control word" : "wrong control word");
            Say(mxcsr == MatchingMXCSR ? "mxcsr" : "wrong mxcsr");
            Halt(6);
        });
    });
    EXPECT_EQ(result.ExitCode, 6);
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"control word", "mxcsr"}));
}

TEST(StartUp, AMainProgramThatReturnsEndsWithoutTheExitSteps) {
    auto result = TestSupport::RunInChild([] {
        ExeEntry([] {
            InitializeUnits();
            ExitProc = [] { Say("exit procedure"); };
            ExitCode = 9;
        });
    });
    EXPECT_EQ(result.ExitCode, 9);
    EXPECT_EQ(result.StdOut, "");
}

} // namespace
