// The console terminal in the real program on a pseudo-terminal: the line
// editor as the user sees it, Enter typed early, Ctrl+C while the program
// waits, and a program started without any terminal.
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/TerminalScreen.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using TestSupport::TerminalScreen;

// The keys as a VT terminal sends them.
const std::string Left = "\x1b[D", Home = "\x1b[H", Enter = "\r", CtrlC = "\x03";

// The program on a pseudo-terminal, with a model of the terminal's screen.
class ProgramOnTerminal {
public:
    explicit ProgramOnTerminal(const std::string& path) : Program(path, {"SDL_VIDEODRIVER=x11"}) {}

    // Takes in what the program wrote until `shown` holds, for at most a
    // minute, answering cursor position queries as a terminal would.
    bool WaitUntil(const std::function<bool(const TerminalScreen&)>& shown) {
        auto deadline = std::chrono::steady_clock::now() + 60s;
        for (;;) {
            Screen.Feed(std::string_view(Program.Output()).substr(Fed));
            Fed = Program.Output().size();
            for (; Answered < Screen.CursorQueries(); ++Answered)
                Program.Type("\x1b[" + std::to_string(Screen.CursorY() + 1) + ";" +
                             std::to_string(Screen.CursorX() + 1) + "R");
            if (shown(Screen))
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(20ms);
        }
    }

    // The console is set up before the graph window opens; from then on typed
    // bytes go to the program's keyboard, not to the terminal's own line
    // editing and echo.
    bool WaitForWindow() {
        return WaitUntil([](const TerminalScreen&) {
            return !TestSupport::FindWindow("Graph window application").empty();
        });
    }

    std::string Shown() {
        return "\n|" + Screen.Row(0) + "|\n|" + Screen.Row(1) + "|\ncursor " +
               std::to_string(Screen.CursorX()) + ", " + std::to_string(Screen.CursorY());
    }

    TestSupport::PtyProcess Program;

private:
    TerminalScreen Screen;
    std::size_t Fed = 0;
    int Answered = 0;
};

// The line editor's keys are the unit tests' business; here one line, typed
// with Enter while the sweep still runs, proves that a terminal's escape
// sequences reach the editor, that its echo reaches the terminal, and that
// the early Enter ends the program once the sweep is done.
TEST(ConsoleOnATerminal, ALineTypedDuringTheSweepIsEchoedAndEndsTheProgram) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    ProgramOnTerminal program(BIFURCATION_PATH);
    ASSERT_TRUE(program.WaitForWindow()) << program.Shown();
    program.Program.Type("abc" + Left + Left + "X" + Home + "Y" + Enter);
    EXPECT_EQ(program.Program.Wait(120), 0) << program.Shown();
    EXPECT_TRUE(program.WaitUntil([](const TerminalScreen& screen) {
        return screen.Row(0).rfind("YXc ", 0) == 0 && screen.CursorY() == 1 &&
               screen.CursorX() == 0;
    })) << program.Shown();
}

// What a line "name value" of the output says.
std::string Field(const std::string& output, const std::string& name) {
    std::size_t at = output.find(name + " ");
    if (at == std::string::npos)
        return "(none)";
    at += name.size() + 1;
    return output.substr(at, output.find_first_of("\r\n", at) - at);
}

TEST(ConsoleOnATerminal, CtrlCDuringTheWaitInterruptsAndRestoresTheTerminal) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    // A shell runs the program and reports the terminal's settings before and
    // after, and how it ended. Its own trap keeps it alive through the
    // interrupt; the program does not inherit a trap.
    const std::string script = ::testing::TempDir() + "console-ctrl-c.sh";
    FILE* file = std::fopen(script.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file,
                 "#!/bin/sh\ntrap : INT\necho \"before $(stty -g)\"\n%s\necho \"status $?\"\n"
                 "echo \"after $(stty -g)\"\n",
                 BIFURCATION_PATH);
    std::fclose(file);
    ::chmod(script.c_str(), 0755);

    ProgramOnTerminal program(script);
    ASSERT_TRUE(program.WaitForWindow()) << program.Shown();
    // A letter echoed by the line editor shows that the program waits.
    program.Program.Type("q");
    ASSERT_TRUE(program.WaitUntil([](const TerminalScreen& screen) {
        return screen.Row(screen.CursorY()).rfind("q ", 0) == 0 && screen.CursorX() == 1;
    })) << program.Shown();
    program.Program.Type(CtrlC);
    ASSERT_EQ(program.Program.Wait(60), 0);
    const std::string& output = program.Program.Output();
    EXPECT_EQ(Field(output, "status"), "130") << "ended by SIGINT";
    EXPECT_NE(Field(output, "before"), "(none)");
    EXPECT_EQ(Field(output, "after"), Field(output, "before"));
    std::remove(script.c_str());
}

TEST(ConsoleWithoutATerminal, SaysThereIsNoConsoleHandleAndEndsWithCode1) {
    const std::string outputFile = ::testing::TempDir() + "console-no-terminal.out";
    auto result = TestSupport::RunInChild(
        [&] {
            ::setsid(); // a new session has no controlling terminal
            ::dup2(::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        },
        "\n", 60);
    EXPECT_EQ(result.Signal, 0);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.StdErr, "No way to get the console handle\r\n");
    struct stat status {};
    EXPECT_EQ(::stat(outputFile.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 0) << "nothing on standard output";
    std::remove(outputFile.c_str());
}

} // namespace
