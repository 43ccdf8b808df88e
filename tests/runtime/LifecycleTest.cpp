// The exit procedure chain, finalisation, Halt and run-time errors, each run
// in a child process because every way out ends the process.
#include "runtime/Lifecycle.h"
#include "RuntimeTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace Runtime;
using RuntimeTest::CrLfLines;
using RuntimeTest::Say;
using StringList = std::vector<std::string>;

// Exit procedures that follow the chain protocol and say whether they found
// themselves detached from ExitProc. Each leaves an I/O result pending, which
// would silence the next one's line if the chain did not clear it.
ExitProcedure SavedExit[2];

template <int I>
void ChainedExit() {
    Say("exit " + std::to_string(I) + (ExitProc == nullptr ? " detached" : " attached"));
    ExitProc = SavedExit[I];
    InOutRes = 77;
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
        Halt(3);
    });
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"exit 1 detached", "exit 0 detached"}));
}

// The runtime's own finalisations (module table entries 0 to 2), each logged
// before it runs; entries 3 and 4 are the test's.
UnitProcedure RuntimeFinalization[3];

template <int I>
void LoggedFinalization() {
    Say("final " + std::to_string(I));
    if (I < 3 && RuntimeFinalization[I % 3])
        RuntimeFinalization[I % 3]();
}

void LogFinalizations(UnitProcedure fourthInitialization) {
    const UnitProcedure logged[] = {LoggedFinalization<0>, LoggedFinalization<1>,
                                    LoggedFinalization<2>};
    for (int i = 0; i < 3; ++i)
        RuntimeFinalization[i] = std::exchange(InitFinal.Entries[i].Finalization, logged[i]);
    InitFinal.Entries[3] = {fourthInitialization, LoggedFinalization<3>};
    InitFinal.Entries[4] = {[] { Say("init 4"); }, LoggedFinalization<4>};
}

TEST(Finalization, RunsEachOnceInReverseOrderAfterTheExitProcedures) {
    auto result = TestSupport::RunInChild([] {
        LogFinalizations([] { Say("init 3"); });
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
        LogFinalizations([] { Halt(1); });
        InitializeUnits();
    });
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(CrLfLines(result.StdOut), (StringList{"final 2", "final 1", "final 0"}));
}

TEST(ExitReentrance, ErrorInAnExitProcedureContinuesTheExitAndReportsTheSecondError) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        InstallExit<0>();
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
    ASSERT_GE(lines.size(), 3u) << result.StdOut;
    EXPECT_EQ(lines[0], "failing exit");
    EXPECT_EQ(lines[1], "exit 0 detached");
    EXPECT_EQ(lines[2].rfind("Runtime error 202 at 0x", 0), 0u) << lines[2];
    EXPECT_EQ(result.StdOut.find("never resumed"), std::string::npos);
    EXPECT_EQ(result.StdOut.find("Runtime error 200"), std::string::npos);
}

} // namespace
