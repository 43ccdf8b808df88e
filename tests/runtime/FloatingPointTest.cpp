// Rounding and cutting of extended reals, and the fault out of range once
// the program's control word is loaded (always in a child process: the
// control word unmasks exceptions for the rest of the process).
#include "runtime/FloatingPoint.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <unistd.h>

namespace {

using namespace Runtime;

// Clears the invalid-operation flag that an out-of-range conversion leaves
// behind with exceptions masked.
void ClearX87Flags() {
    asm volatile("fnclex");
}

// Loads the program's control word in a child whose floating-point faults
// take the default action (a sanitizer would otherwise catch them).
void LoadProgramControlWord() {
    std::signal(SIGFPE, SIG_DFL);
    ResetFpu();
}

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(-0.5L), 0);
    EXPECT_EQ(Round(-1.5L), -2);
    EXPECT_EQ(Round(2.5000000001L), 3);
    EXPECT_EQ(Round(-2.7L), -3);
}

TEST(Rounding, KeepsTheWholeThirtyTwoBitRange) {
    EXPECT_EQ(Round(2147483647.4L), INT32_MAX);
    EXPECT_EQ(Round(-2147483648.4L), INT32_MIN);
}

TEST(Rounding, OutOfRangeGivesTheIndefiniteIntegerWhenMasked) {
    EXPECT_EQ(Round(3e9L), INT32_MIN);
    EXPECT_EQ(Round(-2147483649.0L), INT32_MIN);
    EXPECT_EQ(Round(2147483647.5L), INT32_MIN);
    ClearX87Flags();
}

TEST(Cutting, GoesTowardsZero) {
    EXPECT_EQ(Trunc(2.99L), 2);
    EXPECT_EQ(Trunc(-2.99L), -2);
    EXPECT_EQ(Trunc(2147483647.99L), INT32_MAX);
    EXPECT_EQ(Trunc(2147483648.0L), INT32_MIN);
    ClearX87Flags();
}

TEST(ProgramControlWord, RoundingStillTiesToEven) {
    auto result = TestSupport::RunInChild([] {
        ResetFpu();
        if (Round(2.5L) != 2 || Round(3.5L) != 4 || Trunc(-3.7L) != -3)
            ::_exit(1);
    });
    EXPECT_EQ(result.ExitCode, 0);
}

TEST(ProgramControlWord, RoundingOutOfRangeFaults) {
    auto result = TestSupport::RunInChild([] {
        LoadProgramControlWord();
        volatile std::int32_t sink = Round(3e9L);
        (void)sink;
    });
    EXPECT_EQ(result.Signal, SIGFPE);
}

TEST(ProgramControlWord, CuttingOutOfRangeFaults) {
    auto result = TestSupport::RunInChild([] {
        LoadProgramControlWord();
        volatile std::int32_t sink = Trunc(-1e10L);
        (void)sink;
    });
    EXPECT_EQ(result.Signal, SIGFPE);
}

TEST(ProgramControlWord, SseDivisionByZeroFaultsToo) {
    auto result = TestSupport::RunInChild([] {
        LoadProgramControlWord();
        volatile double zero = 0.0;
        volatile double quotient = 1.0 / zero;
        (void)quotient;
    });
    EXPECT_EQ(result.Signal, SIGFPE);
}

} // namespace
