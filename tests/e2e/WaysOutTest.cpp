// The real program on a pseudo-terminal, from the moment its console has the
// terminal: keys typed into the line while the diagram is drawn, and the
// ways a user leaves it: Enter, Ctrl+C, and the terminal going away under a
// program that ignores SIGHUP (as under nohup).
#include "tests/support/PtyProcess.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using TestSupport::PtyProcess;

constexpr int Patience = 120; // seconds: the sweep runs before the prompt

void Enter(PtyProcess& program) {
    program.Type("\r");
}

struct WayOut {
    const char* Name;
    std::string Typed; // once the console has the terminal
    std::string Echo;  // what the line editor shows once it has the keys
    void (*Ends)(PtyProcess&);
    int Status;
};

const WayOut WaysOut[] = {
    // Keys as a terminal sends them reach the editor: after Home, Y is drawn
    // in the first column (the console starts at the corner when its cursor
    // query goes unanswered).
    {"line editing", "abc\x1b[D\x1b[DX\x1b[HY", "\x1b[1;1H\x1b[0;37;40mY", Enter, 0},
    // Ctrl+Z is a key the editor ignores; Ctrl+\ an ordinary character,
    // shown as the console shows code 28.
    {"control keys", "q\x1a\x1c", "\xe2\x88\x9f", Enter, 0},
    {"Ctrl+C", "q", "q", [](PtyProcess& program) { program.Type("\x03"); }, 128 + SIGINT},
    {"hang-up", "q", "q", [](PtyProcess& program) { program.HangUp(); }, 0},
};

TEST(ProgramOnATerminal, TakesKeysDuringTheSweepAndEndsAsTheUserLeaves) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    for (const WayOut& way : WaysOut) {
        SCOPED_TRACE(way.Name);
        PtyProcess program([] {
            std::signal(SIGHUP, SIG_IGN);
            ::setenv("SDL_VIDEODRIVER", "x11", 1);
            ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
        });
        // The console asks where the cursor is once it has the terminal; from
        // then on typed bytes are keys.
        ASSERT_TRUE(program.WaitForOutput("\x1b[6n", Patience)) << program.Output();
        program.Type(way.Typed);
        ASSERT_TRUE(program.WaitForOutput(way.Echo, Patience)) << program.Output();
        way.Ends(program);
        EXPECT_EQ(program.Wait(Patience), way.Status) << program.Output();
        // However it ended, the terminal has its line editing, echo and signals back.
        if (way.Status != 0 || way.Ends == Enter) {
            EXPECT_EQ(program.Mode().c_lflag & (ICANON | ECHO | ISIG), ICANON | ECHO | ISIG);
        }
    }
}

} // namespace
