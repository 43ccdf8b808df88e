// The tty console. On a real pseudo-terminal, in a child process: the
// terminal's mode from the first console call to every way out, the cursor
// position query, typed keys and the buffer's size on a terminal of any size.
// Its key decoder: the byte-to-key rules, reads split anywhere, the Escape key
// told apart by the timeout, and hostile input consumed with bounded state.
// What it sends for the screen buffer: a run of cells is one cursor move,
// then each cell in its colours and its glyph in UTF-8.
#include "console/tty/TtyConsole.h"
#include "console/ScreenBuffer.h"
#include "console/tty/KeyDecoder.h"
#include "console/tty/VtRenderer.h"
#include "tests/support/PtyProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
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
                        [signal](PtyProcess& child) { ::kill(child.Id(), signal); }, 128 + signal});
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

using WinApi::KeyDecoder;

struct Key {
    WORD Vk;
    WORD Scan;
    unsigned char Char;
    DWORD State;
    bool operator==(const Key&) const = default;
};

// Drains the decoder: each key-down must be followed by its identical key-up,
// and Ctrl and Shift come as keys of their own, held exactly while the key's
// state says so.
std::vector<Key> Drain(KeyDecoder& decoder) {
    auto key = [](const INPUT_RECORD& r) {
        const KEY_EVENT_RECORD& k = r.Event.KeyEvent;
        return Key{k.wVirtualKeyCode, k.wVirtualScanCode,
                   static_cast<unsigned char>(k.uChar.AsciiChar), k.dwControlKeyState};
    };
    std::vector<Key> keys;
    DWORD held = 0;
    for (INPUT_RECORD down{}, up{}; decoder.Next(down);) {
        const KEY_EVENT_RECORD& d = down.Event.KeyEvent;
        const WORD vk = d.wVirtualKeyCode;
        if (DWORD flag = vk == VK_CONTROL ? LEFT_CTRL_PRESSED
                         : vk == VK_SHIFT ? SHIFT_PRESSED
                                          : 0) {
            EXPECT_EQ(d.bKeyDown != 0, (held & flag) == 0) << "modifier pressed twice";
            held ^= flag;
            continue;
        }
        EXPECT_TRUE(decoder.Next(up)) << "key-down without key-up";
        EXPECT_TRUE(d.bKeyDown && !up.Event.KeyEvent.bKeyDown && d.wRepeatCount == 1);
        EXPECT_EQ(key(up), key(down));
        EXPECT_EQ(d.dwControlKeyState & (LEFT_CTRL_PRESSED | SHIFT_PRESSED), held);
        keys.push_back(key(down));
    }
    EXPECT_EQ(held, 0u) << "modifier left pressed";
    return keys;
}

std::vector<Key> Decode(const std::string& bytes, bool timeout = true) {
    KeyDecoder decoder;
    decoder.Feed(bytes.data(), bytes.size());
    if (timeout)
        decoder.Timeout();
    return Drain(decoder);
}

std::string Esc(const std::string& rest) {
    return "\x1b" + rest;
}

TEST(ConsoleKeyDecoder, EachSequenceGivesItsKeys) {
    const struct {
        std::vector<std::string> Bytes;
        std::vector<Key> Expected;
        bool Timeout = true;
    } rows[] = {
        {{"!"}, {{0x31, 0x02, '!', 0x10}}},
        {{" "}, {{0x20, 0x39, ' ', 0}}},
        {{"_"}, {{0xBD, 0x0C, '_', 0x10}}},
        {{"\x01"}, {{0x41, 0x1E, 0x01, 0x08}}},
        {{"\x0d", "\x0a"}, {{0x0D, 0x1C, 0x0D, 0}}},
        {{"\x09"}, {{0x09, 0x0F, 0x09, 0}}},
        {{Esc("[Z")}, {{0x09, 0x0F, 0x09, 0x10}}},
        {{"\x7f"}, {{0x08, 0x0E, 0x08, 0}}},
        {{"\x08"}, {{0x08, 0x0E, 0x7F, 0x08}}},
        {{Esc("")}, {{0x1B, 0x01, 0x1B, 0}}},
        {{Esc("X")}, {{0x58, 0x2D, 'X', 0x12}}},
        {{Esc("\x01")}, {{0x41, 0x1E, 0x01, 0x0A}}},
        {{Esc("[A"), Esc("OA")}, {{0x26, 0x48, 0, 0x100}}},
        {{Esc("[H"), Esc("OH"), Esc("[1~"), Esc("[7~")}, {{0x24, 0x47, 0, 0x100}}},
        {{Esc("[F"), Esc("OF"), Esc("[4~"), Esc("[8~")}, {{0x23, 0x4F, 0, 0x100}}},
        {{Esc("[6~")}, {{0x22, 0x51, 0, 0x100}}},
        {{Esc("OS")}, {{0x73, 0x3E, 0, 0}}},
        {{Esc("[1;5R")}, {{0x72, 0x3D, 0, 0x08}}},
        {{Esc("[3;8~")}, {{0x2E, 0x53, 0, 0x11A}}},
        {{Esc("[24;2~")}, {{0x7B, 0x58, 0, 0x10}}},
        {{"\xe9"}, {{0, 0, 0xE9, 0}}},
        // Incomplete sequences resolve on the timeout as the keys typed.
        {{Esc("[")}, {{0xDB, 0x1A, '[', 0x02}}},
        {{Esc("O")}, {{0x4F, 0x18, 'O', 0x12}}},
        {{Esc("[1")}, {{0xDB, 0x1A, '[', 0x02}, {0x31, 0x02, '1', 0}}},
        // Escape twice, or Escape and a letter, need no timeout.
        {{Esc("\x1b")}, {{0x1B, 0x01, 0x1B, 0}}, false},
        {{Esc("q") + "q"}, {{0x51, 0x10, 'q', 0x02}, {0x51, 0x10, 'q', 0}}, false},
        // Unknown sequences vanish; a control byte ends a sequence.
        {{Esc("[99~") + Esc("[?1;2c") + Esc("Oz") + "b"}, {{0x42, 0x30, 'b', 0}}},
        {{Esc("[\x01")}, {{0xDB, 0x1A, '[', 0x02}, {0x41, 0x1E, 0x01, 0x08}}},
    };
    for (const auto& row : rows)
        for (const std::string& bytes : row.Bytes)
            EXPECT_EQ(Decode(bytes, row.Timeout), row.Expected) << testing::PrintToString(bytes);
    // Letters and digits by the keyboard's rows, whose scan codes run left to
    // right; a capital is its letter's key with Shift.
    const std::pair<std::string, WORD> keyboardRows[] = {
        {"1234567890", 0x02}, {"qwertyuiop", 0x10}, {"asdfghjkl", 0x1E}, {"zxcvbnm", 0x2C}};
    for (const auto& [keys, firstScan] : keyboardRows)
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto c = static_cast<unsigned char>(keys[i]);
            const Key plain{WORD(std::toupper(c)), WORD(firstScan + i), c, 0};
            EXPECT_EQ(Decode(keys.substr(i, 1)), std::vector<Key>{plain});
            if (std::isalpha(c)) {
                EXPECT_EQ(Decode(std::string(1, char(plain.Vk))),
                          (std::vector<Key>{{plain.Vk, plain.Scan, uint8_t(plain.Vk), 0x10}}));
            }
        }
    // F1 to F12 as ESC [ n ~, the numbers skipping 16 and 22; scan codes
    // 0x3B to 0x44, then 0x57 and 0x58.
    const int numbers[12] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
    for (WORD i = 0; i < 12; ++i)
        EXPECT_EQ(Decode(Esc("[" + std::to_string(numbers[i]) + "~")),
                  (std::vector<Key>{{WORD(0x70 + i), WORD(i < 10 ? 0x3B + i : 0x4D + i), 0, 0}}))
            << "F" << i + 1;
}

TEST(ConsoleKeyDecoder, SplitReadsGiveTheSameKeysAndALoneEscapeWaitsForTheTimeout) {
    const std::string input = Esc("[1;5D") + "a" + Esc("OP") + Esc("[24~") + Esc("x") + "\x7f";
    KeyDecoder decoder;
    for (char c : input)
        decoder.Feed(&c, 1);
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), Decode(input));
    EXPECT_EQ(Decode(input).size(), 6u);
    decoder.Feed("\x1b", 1);
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_TRUE(Drain(decoder).empty());
    decoder.Timeout();
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
}

TEST(ConsoleKeyDecoder, OverLongSequencesAreConsumedWithBoundedState) {
    KeyDecoder decoder;
    const std::string longSequence = Esc("[") + std::string(100000, '1') + "A" + "c";
    decoder.Feed(longSequence.data(), longSequence.size());
    EXPECT_EQ(decoder.PendingBytes(), 0u);
    EXPECT_EQ(Drain(decoder), (std::vector<Key>{{0x43, 0x2E, 'c', 0}}));
    decoder.Feed(longSequence.data(), 20000);
    EXPECT_LE(decoder.PendingBytes(), KeyDecoder::kMaxPending);
    decoder.Timeout();
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_TRUE(Drain(decoder).empty());
}

// A run from column 3 of row 2: SGR 0 first in each cell's colours.
TEST(ConsoleRenderer, CellsAreSentInTheirColoursAsUnicodeGlyphs) {
    WinApi::VtRenderer renderer;
    WinApi::ScreenBuffer model(12, 6, &renderer);
    renderer.Finish(model.Cursor());
    // Light red on blue, yellow on black, light grey on light cyan.
    const CHAR_INFO cells[3] = {{{.AsciiChar = '\x03'}, 0x1C},
                                {{.AsciiChar = '\xDB'}, 0x0E},
                                {{.AsciiChar = '\xE1'}, 0xB7}};
    SMALL_RECT region{2, 1, 4, 1};
    model.Write(cells, {3, 1}, {0, 0}, region);
    EXPECT_EQ(renderer.Finish(model.Cursor())
                  .find("\x1b[2;3H"
                        "\x1b[0;91;44m\u2665"
                        "\x1b[0;93;40m\u2588"
                        "\x1b[0;37;106m\u00DF"),
              0u);
}

} // namespace
