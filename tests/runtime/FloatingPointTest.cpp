// Rounding of extended reals, and its fault out of range once the program's
// control word is loaded (in a child process: the control word unmasks
// exceptions for the rest of the process).
#include "runtime/FloatingPoint.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace Runtime;

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    const std::pair<long double, std::int32_t> cases[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.5000000001L, 3}, {-2.7L, -3}};
    for (auto [value, rounded] : cases)
        EXPECT_EQ(Round(value), rounded) << static_cast<double>(value);
}

TEST(Rounding, OutOfRangeFaultsUnderTheProgramControlWord) {
    auto result = TestSupport::RunInChild([] {
        std::signal(SIGFPE, SIG_DFL); // a sanitizer would otherwise catch the fault
        InitFpu();
        volatile std::int32_t sink = Round(3e9L);
        (void)sink;
    });
    EXPECT_EQ(result.Signal, SIGFPE);
}

} // namespace
