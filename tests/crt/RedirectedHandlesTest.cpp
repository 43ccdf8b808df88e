// The console terminal where standard handles are not the console: each case
// runs in a child process, whose standard handles are its own pipes.
#include "CrtTestSupport.h"

#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace CrtTest;

// With standard output redirected the console itself shows output and echo.
// Standard input from a pipe has no console events: each byte is a key, a
// line end in any form is one Enter, and the end of the data is Enter too, so
// reads end instead of waiting.
TEST(CrtStartUp, RedirectedHandlesLeaveOutputOnTheConsoleAndGiveInputBytesAsKeys) {
    auto result = TestSupport::RunInChild(
        [] {
            // Started as the program's module table does; entry 4 says start-up got that far.
            auto* console = new WinApi::HeadlessConsole(80, 25);
            console->SetStandardHandlesAreConsole(false);
            WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(console));
            Runtime::InitFinal.Entries[3] = {Crt::InitializeCrt, nullptr};
            Runtime::InitFinal.Entries[4] = {[] { Runtime::WriteLn(Runtime::StdOut, "started"); },
                                             nullptr};
            Runtime::InitializeUnits();
            Runtime::WriteLn(Runtime::Output, "on the console");
            for (int line = 0; line < 6; ++line) {
                Crt::CrtRead(Runtime::Input);
                std::string text(Runtime::Input.BufPtr,
                                 static_cast<std::size_t>(Runtime::Input.BufEnd - 2));
                Runtime::WriteLn(Runtime::StdOut, "[" + text + "]");
            }
            Runtime::WriteLn(Runtime::StdOut, console->Row(0) + "|" + console->Row(1));
        },
        std::string("ab\bc\r\nd\n\re\0f", 12));
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "started\r\n[ac]\r\n[d]\r\n[]\r\n[ef]\r\n[]\r\n[]\r\n" +
                                 ("on the console" + std::string(66, ' ')) + "|" +
                                 ("ac" + std::string(78, ' ')) + "\r\n");
}

} // namespace
