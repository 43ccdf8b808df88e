// The real program, started as a user starts it.
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Gives the calling process a terminal of its own as its console, as when the
// program is started from a terminal with its standard handles redirected:
// the first terminal a session leader opens becomes its controlling terminal.
// Nobody types on it, and nothing written there is looked at.
void TakeOwnTerminal() {
    ::setsid();
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        ::_exit(126);
    if (::open(::ptsname(master), O_RDWR) < 0)
        ::_exit(126);
}

// Runs the program with no display to show windows on, on a terminal of its
// own with its standard handles on pipes.
TestSupport::ChildResult RunProgramWithoutDisplay(const std::string& input) {
    return TestSupport::RunInChild(
        [] {
            TakeOwnTerminal();
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("WINAPI_DESKTOP");
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
