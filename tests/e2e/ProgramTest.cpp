// The real program started where it cannot work: in a session of its own,
// which has no controlling terminal, and on a terminal with no display.
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

// No window can be made: the program says so, and at its first point that it
// is not in graphics mode, and ends with code 1 without waiting for a line.
TEST(ProgramWithoutADisplay, SaysTheWindowFailedAndThatItIsNotInGraphicsMode) {
    TestSupport::PtyProcess program([] {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WINAPI_DESKTOP", "WINAPI_PICTURE"})
            ::unsetenv(name);
        ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
    });
    EXPECT_EQ(program.Wait(60), 1);
    const std::string& output = program.Output();
    const auto failed = output.find("Error: Window creation failed");
    EXPECT_NE(failed, std::string::npos) << output;
    EXPECT_NE(output.find("Error: Not in graphics mode (use InitGraph and test GraphResult "
                          "afterwards)",
                          failed),
              std::string::npos)
        << output;
}

} // namespace
