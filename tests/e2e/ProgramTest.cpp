// The real program in a real window on an X display (Xvfb in CI), on a
// pseudo-terminal: the picture it leaves, keys typed into the line while the
// diagram is drawn, and its end on Enter or when the terminal goes away.
// And started where it cannot work: in a session of its own, which has no
// controlling terminal, and on a terminal with no display.
#include "tests/support/ChildProcess.h"
#include "tests/support/Eventually.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using TestSupport::PtyProcess;

constexpr int Patience = 120; // seconds: the sweep runs before the prompt

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

void RunInAWindow() {
    std::signal(SIGHUP, SIG_IGN);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
}

class ProgramInAWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::HaveDisplay())
            GTEST_SKIP() << "needs an X display";
    }
};

// Keys typed while the diagram is drawn reach the line editor as the terminal
// sends them: after Home, Y is drawn in the first column (the console starts
// at the corner when its cursor query goes unanswered).
TEST_F(ProgramInAWindow, DrawsExactlyTheDiagramEditsTheTypedLineThenEndsOnEnter) {
    // A 16-bit display keeps 5 or 6 bits of a channel, and the capture
    // widens them again its own way; deeper displays keep every colour.
    const int depth = TestSupport::WindowField("root", "Depth");
    PtyProcess program(RunInAWindow);
    // The console asks where the cursor is once it has the terminal; from
    // then on typed bytes are keys.
    ASSERT_TRUE(program.WaitForOutput("\x1b[6n", Patience)) << program.Output();
    program.Type("abc\x1b[D\x1b[DX\x1b[HY");
    const std::string window = TestSupport::FindWindow("Graph window application");
    ASSERT_FALSE(window.empty()) << "no graph window appeared; terminal: " << program.Output();
    TestSupport::Screenshot shot;
    EXPECT_TRUE(TestSupport::Eventually(
        [&] {
            shot = TestSupport::CaptureWindow(window);
            return !shot.Pixels.empty() && TestSupport::WrongDiagramPixels(shot.Pixels, shot.Width,
                                                                           depth < 24 ? 8 : 0) == 0;
        },
        Patience, std::chrono::milliseconds(500)))
        << "at depth " << depth;
    // Without a window manager the maximised window gets the whole screen
    // width and the screen height less the caption as its client area.
    EXPECT_EQ(std::pair(shot.Width, shot.Height),
              std::pair(TestSupport::WindowField("root", "Width"),
                        TestSupport::WindowField("root", "Height") - 23));
    ASSERT_TRUE(program.WaitForOutput("\x1b[1;1H\x1b[0;37;40mY", Patience)) << program.Output();
    program.Type("\r");
    EXPECT_EQ(program.Wait(30), 0) << "terminal: " << program.Output();
    // The terminal has its line editing, echo and signals back.
    EXPECT_EQ(program.Mode().c_lflag & (ICANON | ECHO | ISIG), ICANON | ECHO | ISIG);
}

// The terminal going away under a program that ignores SIGHUP (as under
// nohup), while it waits for its line, ends it.
TEST_F(ProgramInAWindow, EndsWhenTheTerminalHangsUp) {
    PtyProcess program(RunInAWindow);
    ASSERT_TRUE(program.WaitForOutput("\x1b[6n", Patience)) << program.Output();
    program.Type("q");
    ASSERT_TRUE(program.WaitForOutput("q", Patience)) << program.Output();
    program.HangUp();
    EXPECT_EQ(program.Wait(Patience), 0) << program.Output();
}

} // namespace
