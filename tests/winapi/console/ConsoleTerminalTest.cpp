// The tty console on a real pseudo-terminal, in a child process: the
// terminal's mode from the first console call to every way out, the cursor
// position query, typed keys and the buffer's size on a terminal of any size.
#include "console/ScreenBuffer.h"
#include "console/tty/TtyConsole.h"
#include "tests/support/PtyProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/ioctl.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using TestSupport::PtyProcess;

constexpr int Patience = 30; // seconds before a test gives up on the child

// Written straight to the terminal, past the console, for the test to find.
void Report(const std::string& text) {
    (void)!::write(1, text.data(), text.size());
}

// Reads count records one at a time and describes the key events.
std::string ReadRecords(int count) {
    std::string described;
    for (INPUT_RECORD record; count-- > 0;) {
        DWORD read = 0;
        if (!ReadConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), &record, 1, &read))
            return described + "[failed]";
        const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        char text[96];
        std::snprintf(text, sizeof text, "[%s vk=%x scan=%x char=%x state=%lx]",
                      key.bKeyDown ? "down" : "up", key.wVirtualKeyCode, key.wVirtualScanCode,
                      static_cast<unsigned char>(key.uChar.AsciiChar),
                      static_cast<unsigned long>(key.dwControlKeyState));
        described += record.EventType == KEY_EVENT ? text : "[other]";
    }
    return described;
}

// The child's first steps: a tty console of its own, then a line from the
// test (read past the console) before the first console call, so that the
// test can see the terminal's mode before and after it.
void StartConsole() {
    WinApi::SelectConsole(WinApi::MakeTtyConsole());
    GetStdHandle(STD_INPUT_HANDLE);
    GetStdHandle(STD_OUTPUT_HANDLE);
    Report("@started@");
    char line[8];
    (void)!::read(0, line, sizeof line);
}

// Lets the child start and returns the terminal's mode before the first
// console call.
termios ModeBeforeTheConsole(PtyProcess& child) {
    EXPECT_TRUE(child.WaitForOutput("@started@", Patience));
    termios mode = child.Mode();
    child.Type("\n");
    return mode;
}

auto Flags(const termios& mode) {
    return std::make_tuple(mode.c_lflag, mode.c_iflag, mode.c_oflag, mode.c_cc[VMIN],
                           mode.c_cc[VTIME]);
}

void WaitForKeysForever() {
    for (;;)
        ReadRecords(1);
}

// One key as both records, as Describe writes them.
std::string KeyRecords(const char* fields) {
    return std::string("[down ") + fields + "][up " + fields + "]";
}

const std::string Bound = "@size " + std::to_string(WinApi::ScreenBuffer::MaxWidth) + " " +
                          std::to_string(WinApi::ScreenBuffer::MaxHeight) + "@";
const std::string CtrlHeld = "[down vk=11 scan=1d char=0 state=8]",
                  KeyOne = KeyRecords("vk=31 scan=2 char=31 state=0");

struct WayOut {
    std::string Name;
    const char* Typed; // once the console has asked for the cursor
    const char* Cursor;
    std::string Keys;
    void (*ChildEnds)();
    std::function<void(PtyProcess&)> TestEnds;
    int Status;
};

// Every signal whose default action ends the process, sent while the console
// waits for a key: the terminal is put back and the signal takes its action.
std::vector<WayOut> WaysOut() {
    std::vector<WayOut> runs = {
        // A key typed before the answer stays queued.
        {"ExitProcess", "q\x1b[7;12R", "@cursor 11 6@", KeyRecords("vk=51 scan=10 char=71 state=0"),
         [] { ExitProcess(3); }, [](PtyProcess&) {}, 3},
        // No answer: the console starts at the corner and keeps the key.
        {"exit", "\r", "@cursor 0 0@", KeyRecords("vk=d scan=1c char=d state=0"),
         [] { std::exit(4); }, [](PtyProcess&) {}, 4},
        // The console's control keys: only Ctrl+C is a signal. Ctrl comes as
        // a key of its own before the key it holds down.
        {"typed Ctrl+Z", "\x1a", "@cursor 0 0@", CtrlHeld + "[down vk=5a scan=2c char=1a state=8]",
         [] { ExitProcess(6); }, [](PtyProcess&) {}, 6},
        {"typed Ctrl+\\", "\x1c", "@cursor 0 0@", CtrlHeld + "[down vk=dc scan=2b char=1c state=8]",
         [] { ExitProcess(7); }, [](PtyProcess&) {}, 7},
        {"typed Ctrl+C", "a", "@cursor 0 0@", KeyRecords("vk=41 scan=1e char=61 state=0"),
         WaitForKeysForever, [](PtyProcess& child) { child.Type("\x03"); }, 128 + SIGINT},
        // A fault that the exception filter declines.
        {"fault", "1", "@cursor 0 0@", KeyOne,
         [] {
             SetUnhandledExceptionFilter(
                 [](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_CONTINUE_SEARCH; });
             std::raise(SIGSEGV);
         },
         [](PtyProcess&) {}, 128 + SIGSEGV},
    };
    for (int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                       SIGPROF, SIGXCPU, SIGXFSZ, SIGSYS, SIGTRAP})
        runs.push_back({strsignal(signal), "1", "@cursor 0 0@", KeyOne, WaitForKeysForever,
                        [signal](PtyProcess& child) { child.Signal(signal); }, 128 + signal});
    return runs;
}

TEST(TtyConsole, FirstCallSetsTheModeAndEveryWayOutPutsItBack) {
    const std::vector<WayOut> runs = WaysOut();
    for (const auto& run : runs) {
        PtyProcess child([&run] {
            // A terminal may claim any size; the buffer stays within what a
            // console window can have.
            winsize claimed{65535, 65535, 0, 0};
            ::ioctl(0, TIOCSWINSZ, &claimed);
            StartConsole();
            CONSOLE_SCREEN_BUFFER_INFO info{};
            GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info);
            Report("@cursor " + std::to_string(info.dwCursorPosition.X) + " " +
                   std::to_string(info.dwCursorPosition.Y) + "@ @size " +
                   std::to_string(info.dwSize.X) + " " + std::to_string(info.dwSize.Y) + "@");
            Report("@keys " + ReadRecords(2) + "@");
            run.ChildEnds();
        });
        const termios before = ModeBeforeTheConsole(child);
        EXPECT_TRUE(before.c_lflag & ICANON);
        ASSERT_TRUE(child.WaitForOutput("\x1b[6n", Patience));
        const termios mode = child.Mode();
        EXPECT_EQ(std::make_tuple(mode.c_lflag & (ICANON | ECHO | IEXTEN | ISIG),
                                  mode.c_iflag & (IXON | ICRNL | INLCR), mode.c_oflag & OPOST,
                                  mode.c_cc[VMIN], mode.c_cc[VTIME]),
                  std::make_tuple(tcflag_t{ISIG}, tcflag_t{0}, tcflag_t{OPOST}, cc_t{1}, cc_t{0}));
        child.Type(run.Typed);
        ASSERT_TRUE(child.WaitForOutput("]@", Patience)) << child.Output();
        EXPECT_NE(child.Output().find(std::string(run.Cursor) + " " + Bound), std::string::npos)
            << child.Output();
        EXPECT_NE(child.Output().find("@keys " + run.Keys + "@"), std::string::npos)
            << child.Output();
        run.TestEnds(child);
        EXPECT_EQ(child.Wait(Patience), run.Status) << run.Name;
        EXPECT_EQ(Flags(child.Mode()), Flags(before)) << run.Name;
        const std::string& output = child.Output();
        EXPECT_EQ(output.substr(output.rfind('@') + 1), "\x1b[0m\x1b[?25h");
    }
}

// A terminal that goes away without a SIGHUP reaching the program (it was
// started ignoring it): a wait for a key, with or without a limit, fails
// rather than waiting for ever.
TEST(TtyConsole, WaitsForInputFailOnceTheTerminalHangsUp) {
    for (const DWORD limit : {DWORD{1000}, DWORD{INFINITE}}) {
        PtyProcess child([limit] {
            std::signal(SIGHUP, SIG_IGN);
            StartConsole();
            HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
            ReadRecords(2);
            Report("@waiting@");
            while (WaitForSingleObject(input, limit) != WAIT_FAILED) {
            }
            ExitProcess(GetLastError() == ERROR_BROKEN_PIPE ? 8 : 9);
        });
        ModeBeforeTheConsole(child);
        child.Type("k");
        ASSERT_TRUE(child.WaitForOutput("@waiting@", Patience)) << child.Output();
        child.HangUp();
        EXPECT_EQ(child.Wait(Patience), 8) << "limit " << limit;
    }
}

} // namespace
