// The real program at its final prompt on a pseudo-terminal, left by the
// ways a user has: the console's control keys typed into the line, and the
// terminal going away under a program that ignores SIGHUP (as under nohup).
#include "tests/support/PtyProcess.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

using TestSupport::PtyProcess;

constexpr int Patience = 120; // seconds: the sweep runs before the prompt

struct WayOut {
    const char* Name;
    std::string Typed; // at the prompt
    std::string Echo;  // what the line editor shows once it has the keys
    void (*Ends)(PtyProcess&);
};

const WayOut WaysOut[] = {
    // Ctrl+Z is a key the editor ignores; Ctrl+\ an ordinary character,
    // shown as the console shows code 28.
    {"control keys", "q\x1a\x1c", "\xe2\x88\x9f", [](PtyProcess& program) { program.Type("\r"); }},
    {"hang-up", "q", "q", [](PtyProcess& program) { program.HangUp(); }},
};

TEST(ProgramOnATerminal, EndsNormallyOnControlKeysAndOnAHangUp) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    for (const WayOut& way : WaysOut) {
        SCOPED_TRACE(way.Name);
        PtyProcess program([] {
            std::signal(SIGHUP, SIG_IGN);
            ::setenv("SDL_VIDEODRIVER", "x11", 1);
            ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
            ::_exit(127);
        });
        // The console asks where the cursor is once it has the terminal; from
        // then on typed bytes are keys.
        ASSERT_TRUE(program.WaitForOutput("\x1b[6n", Patience)) << program.Output();
        program.Type(way.Typed);
        ASSERT_TRUE(program.WaitForOutput(way.Echo, Patience)) << program.Output();
        way.Ends(program);
        EXPECT_EQ(program.Wait(Patience), 0) << program.Output();
    }
}

} // namespace
