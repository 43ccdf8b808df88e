// The real program, started as a user starts it.
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Runs the program with no display to show windows on.
TestSupport::ChildResult RunProgramWithoutDisplay(const std::string& input) {
    return TestSupport::RunInChild(
        [] {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        },
        input, 120);
}

TEST(ProgramWithoutDisplay, SaysTheWindowFailedThenEndsAtTheFirstPoint) {
    // The graph window cannot be created: its message box goes to standard
    // error, graphics stay closed, and the first pixel of the sweep reaches
    // the kernel's reporting default.
    auto result = RunProgramWithoutDisplay("\n");
    EXPECT_EQ(result.Signal, 0);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.StdErr,
              "Error: Window creation failed\n"
              "Error: Not in graphics mode (use InitGraph and test GraphResult afterwards)\r\n");
    EXPECT_EQ(result.StdOut, "");
}

} // namespace
