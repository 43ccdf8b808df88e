// The run-time error report: its exact lines, the address of the raising
// call, and the stack dump's walk and its cut on a character device.
#include "runtime/ErrorReport.h"
#include "RuntimeTestSupport.h"
#include "runtime/Lifecycle.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// Two frames built by hand, so that the test knows the return addresses
// exactly: RaiseThroughTwoFrames(n) calls an inner routine that calls
// RunError(n); CheckThroughTwoFrames() does the same with IOCheck.
extern "C" {
void RaiseThroughTwoFrames(std::uint16_t errorNumber);
void CheckThroughTwoFrames();
extern const char AfterRunErrorCall[], AfterRaiseInnerCall[];
extern const char AfterIOCheckCall[], AfterCheckInnerCall[];
}

#define TWO_FRAME_CALLER(outer, inner, afterInner, callee, afterCallee)                            \
    ".globl " outer "\n" outer ":\n"                                                               \
    "    push %rbp\n    mov %rsp, %rbp\n    call " inner "\n"                                      \
    ".globl " afterInner "\n" afterInner ":\n"                                                     \
    "    pop %rbp\n    ret\n" inner ":\n"                                                          \
    "    push %rbp\n    mov %rsp, %rbp\n    call " callee "\n"                                     \
    ".globl " afterCallee "\n" afterCallee ":\n"                                                   \
    "    pop %rbp\n    ret\n"

// The callees by their mangled names: Runtime::RunError(unsigned short) and
// Runtime::IOCheck().
asm(".text\n" TWO_FRAME_CALLER("RaiseThroughTwoFrames", "RaiseInner", "AfterRaiseInnerCall",
                               "_ZN7Runtime8RunErrorEt", "AfterRunErrorCall")
        TWO_FRAME_CALLER("CheckThroughTwoFrames", "CheckInner", "AfterCheckInnerCall",
                         "_ZN7Runtime7IOCheckEv", "AfterIOCheckCall"));

namespace {

using namespace Runtime;
using RuntimeTest::CrLfLines;

// "  0x" and eight uppercase hexadecimal digits.
bool IsFrameLine(const std::string& line) {
    return line.size() == 12 && line.rfind("  0x", 0) == 0 &&
           line.find_first_not_of("0123456789ABCDEF", 4) == std::string::npos;
}

std::string AddressLine(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "  0x%08lX",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

// Checks a whole report: the two address lines of the raising call, the
// frame of the inner routine first, frame lines only, an empty last line.
void ExpectReport(const std::string& out, int number, const void* errorAddress,
                  const void* firstFrameReturn) {
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out.substr(out.size() - 4), "\r\n\r\n") << "the report ends with an empty line";
    std::vector<std::string> lines = CrLfLines(out);
    ASSERT_GE(lines.size(), 4u) << out;
    EXPECT_EQ(lines[0], "Runtime error " + std::to_string(number) + " at 0x" +
                            AddressLine(errorAddress).substr(4));
    EXPECT_EQ(lines[1], AddressLine(errorAddress));
    EXPECT_EQ(lines[2], AddressLine(firstFrameReturn));
    EXPECT_EQ(lines.back(), "");
    for (std::size_t i = 2; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(IsFrameLine(lines[i])) << "line " << i << ": " << lines[i];
    EXPECT_LE(lines.size(), 2u + 257u + 1u);
    EXPECT_EQ(out.find('\n'), out.find("\r\n") + 1) << "every line ends in CR LF";
}

TEST(HexText, PadsAndKeepsTheLowestDigits) {
    EXPECT_EQ(HexStr(0xAB, 4), "00AB");
    EXPECT_EQ(HexStr(0x123456789ABCull, 8), "56789ABC");
    EXPECT_EQ(HexStr(0xDEADBEEF, 8), "DEADBEEF");
    EXPECT_EQ(HexStr(0, 0), "");
    EXPECT_EQ(SysBacktraceStr(reinterpret_cast<void*>(std::uintptr_t{0x401A2B})), "  0x00401A2B");
}

TEST(Report, ShowsTheReturnAddressOfTheRunErrorCallAndTheFramesAboveIt) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        RaiseThroughTwoFrames(123);
    });
    EXPECT_EQ(result.ExitCode, 123);
    ExpectReport(result.StdOut, 123, AfterRunErrorCall, AfterRaiseInnerCall);
}

TEST(Report, ShowsTheReturnAddressOfTheFailingIOCheck) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        InOutRes = 105;
        CheckThroughTwoFrames();
    });
    EXPECT_EQ(result.ExitCode, 105);
    ExpectReport(result.StdOut, 105, AfterIOCheckCall, AfterCheckInnerCall);
}

TEST(Report, IsWrittenEvenWithAnIOResultPending) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        ExitProc = [] { InOutRes = 101; };
        RaiseThroughTwoFrames(200);
    });
    EXPECT_EQ(result.ExitCode, 200);
    ExpectReport(result.StdOut, 200, AfterRunErrorCall, AfterRaiseInnerCall);
}

TEST(Report, StackDumpEndsAtTheProgramEntry) {
    auto result = TestSupport::RunInChild([] {
        std::signal(SIGFPE, SIG_DFL);
        ExeEntry([] {
            InitializeUnits();
            RaiseThroughTwoFrames(217);
        });
    });
    EXPECT_EQ(result.ExitCode, 217);
    ExpectReport(result.StdOut, 217, AfterRunErrorCall, AfterRaiseInnerCall);
    // The inner and outer routine, at most the main program (unless it made
    // a tail call), and the entry's own frame: nothing of the test runner.
    std::vector<std::string> lines = CrLfLines(result.StdOut);
    EXPECT_GE(lines.size(), 2u + 3u + 1u);
    EXPECT_LE(lines.size(), 2u + 4u + 1u) << result.StdOut;
}

TEST(Report, ErrorFromAFrameNamesThatFramesReturnAddress) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        void* frame[2] = {nullptr, reinterpret_cast<void*>(std::uintptr_t{0x00402468})};
        HandleErrorFrame(215, frame);
    });
    EXPECT_EQ(result.ExitCode, 215);
    EXPECT_EQ(result.StdOut, "Runtime error 215 at 0x00402468\r\n  0x00402468\r\n\r\n");
}

// A recursion that dumps the stack from its deepest frame.
[[gnu::noinline]] void DumpAtDepth(int depth) {
    if (depth > 0)
        DumpAtDepth(depth - 1);
    else
        DumpStack(StdOut, __builtin_frame_address(0));
    asm volatile("" ::: "memory"); // keeps the recursion a real one
}

std::size_t FrameLineCount(const std::string& out) {
    std::vector<std::string> lines = CrLfLines(out);
    std::size_t count = 0;
    for (const auto& line : lines)
        count += IsFrameLine(line) ? 1 : 0;
    EXPECT_EQ(count, lines.size()) << out;
    return count;
}

TEST(StackDump, IsNotCutAtNineFramesOnAPipe) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        DumpAtDepth(20);
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_GT(FrameLineCount(result.StdOut), 21u);
}

TEST(StackDump, StopsAfterTwoHundredFiftySevenFrames) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        DumpAtDepth(300);
    });
    EXPECT_EQ(FrameLineCount(result.StdOut), 257u);
}

TEST(StackDump, IsCutAtNineFramesOnACharacterDevice) {
    auto result = TestSupport::RunInChild([] {
        // StdOut on a raw pseudo-terminal; what arrives there is copied to
        // the real standard output afterwards.
        int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            std::_Exit(90);
        int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        termios mode{};
        ::tcgetattr(terminal, &mode);
        ::cfmakeraw(&mode);
        ::tcsetattr(terminal, TCSANOW, &mode);
        int pipe = ::dup(1);
        ::dup2(terminal, 1);
        InitializeUnits();
        DumpAtDepth(20);
        ::dup2(pipe, 1);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
            if (::write(1, buffer, static_cast<std::size_t>(got)) != got)
                std::_Exit(91);
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(FrameLineCount(result.StdOut), 9u);
}

TEST(StackDump, EndsAtAFramePointerThatLeadsOffTheStack) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        // Hand-made frames in one array, so that their order is known:
        // chains that lead far above the stack, to a misaligned place and
        // downwards. The walk prints the frames it can trust and ends.
        void* slots[14] = {};
        auto code = [](std::uintptr_t address) { return reinterpret_cast<void*>(address); };
        slots[0] = &slots[2];
        slots[1] = code(0x401111);
        slots[2] = &slots[4];
        slots[3] = code(0x402222);
        slots[4] = code(reinterpret_cast<std::uintptr_t>(slots) + (std::uintptr_t{1} << 30));
        slots[5] = code(0x403333);
        DumpStack(StdOut, &slots[0]);
        slots[6] = reinterpret_cast<char*>(&slots[10]) + 3;
        slots[7] = code(0x404444);
        slots[11] = code(0x40AAAA); // would show if the misaligned link were followed
        DumpStack(StdOut, &slots[6]);
        slots[12] = &slots[0];
        slots[13] = code(0x405555);
        DumpStack(StdOut, &slots[12]);
        DumpStack(StdOut, nullptr);
    });
    EXPECT_EQ(result.ExitCode, 0) << "signal " << result.Signal;
    EXPECT_EQ(CrLfLines(result.StdOut),
              (std::vector<std::string>{"  0x00401111", "  0x00402222", "  0x00403333",
                                        "  0x00404444", "  0x00405555"}));
}

} // namespace
