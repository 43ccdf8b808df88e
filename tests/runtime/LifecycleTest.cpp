// The exit procedure chain, finalisation and Halt, each run in a child
// process because every way out ends the process; an error inside an exit
// procedure is a case of the fault tests.
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace Runtime;

// Exit procedures that follow the chain protocol and say whether they found
// themselves detached from ExitProc. Each leaves an I/O result pending, which
// would silence the next one's line if the chain did not clear it.
ExitProcedure SavedExit[2];

template <int I>
void ChainedExit() {
    WriteLn(StdOut,
            "exit " + std::to_string(I) + (ExitProc == nullptr ? " detached" : " attached"));
    ExitProc = SavedExit[I];
    InOutRes = 77;
}

template <int I>
void InstallExit() {
    SavedExit[I] = ExitProc;
    ExitProc = ChainedExit<I>;
}

// The runtime's own finalisations (module table entries 0 to 2), each logged
// before it runs; entries 3 and 4 are the test's.
UnitProcedure RuntimeFinalization[3];

template <int I>
void LoggedFinalization() {
    WriteLn(StdOut, "final " + std::to_string(I));
    if (I < 3 && RuntimeFinalization[I % 3])
        RuntimeFinalization[I % 3]();
}

void LogFinalizations(UnitProcedure fourthInitialization) {
    const UnitProcedure logged[] = {LoggedFinalization<0>, LoggedFinalization<1>,
                                    LoggedFinalization<2>};
    for (int i = 0; i < 3; ++i)
        RuntimeFinalization[i] = std::exchange(InitFinal.Entries[i].Finalization, logged[i]);
    InitFinal.Entries[3] = {fourthInitialization, LoggedFinalization<3>};
    InitFinal.Entries[4] = {[] { WriteLn(StdOut, "init 4"); }, LoggedFinalization<4>};
}

// The exit procedures run from the last installed to the first, each
// restoring its predecessor; then each finalisation once, in reverse order.
TEST(Finalization, RunsEachOnceInReverseOrderAfterTheExitProcedureChain) {
    auto result = TestSupport::RunInChild([] {
        LogFinalizations([] { WriteLn(StdOut, "init 3"); });
        InitializeUnits();
        ExitProc = [] { WriteLn(StdOut, "exit"); };
        InstallExit<0>();
        InstallExit<1>();
        Halt(3);
    });
    EXPECT_EQ(result.ExitCode, 3);
    EXPECT_EQ(result.StdOut, "init 3\r\ninit 4\r\nexit 1 detached\r\nexit 0 detached\r\nexit\r\n"
                             "final 4\r\nfinal 3\r\nfinal 2\r\nfinal 1\r\nfinal 0\r\n");
}

TEST(Finalization, HaltInTheFourthInitializationFinalizesOnlyTheFirstThree) {
    auto result = TestSupport::RunInChild([] {
        LogFinalizations([] { Halt(1); });
        InitializeUnits();
    });
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.StdOut, "final 2\r\nfinal 1\r\nfinal 0\r\n");
}

} // namespace
