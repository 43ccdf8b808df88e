// The real program started where its console cannot start: in a session of
// its own, which has no controlling terminal. (Without a display, each part
// of what it says and does has its unit test: the SDL desktop's message box,
// the failed handshake, the kernel's reporting default.)
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(ProgramWithoutATerminal, SaysThereIsNoConsoleHandleAndEndsWithCode1) {
    auto result = TestSupport::RunInChild(
        [] {
            ::setsid();
            ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        },
        "\n", 60);
    EXPECT_EQ(result.Signal, 0);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.StdErr, "No way to get the console handle\r\n");
    EXPECT_EQ(result.StdOut, "");
}

} // namespace
