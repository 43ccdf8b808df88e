// The run-time error report: its exact lines, the address of the raising
// call, and the stack dump's cut on a character device.
#include "runtime/ErrorReport.h"
#include "RuntimeTestSupport.h"
#include "runtime/Lifecycle.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// Two frames built by hand, so that the test knows the return addresses
// exactly: RaiseThroughTwoFrames(n) calls an inner routine that calls
// Runtime::RunError(n), named here by its mangled name.
extern "C" {
void RaiseThroughTwoFrames(std::uint16_t errorNumber);
extern const char AfterRunErrorCall[], AfterRaiseInnerCall[];
}
asm(".text\n.globl RaiseThroughTwoFrames\nRaiseThroughTwoFrames:\n"
    "    push %rbp\n    mov %rsp, %rbp\n    call RaiseInner\n"
    ".globl AfterRaiseInnerCall\nAfterRaiseInnerCall:\n    pop %rbp\n    ret\n"
    "RaiseInner:\n    push %rbp\n    mov %rsp, %rbp\n    call _ZN7Runtime8RunErrorEt\n"
    ".globl AfterRunErrorCall\nAfterRunErrorCall:\n    pop %rbp\n    ret\n");

namespace {

using namespace Runtime;
using RuntimeTest::CrLfLines;

std::string AddressLine(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "  0x%08lX",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

// "  0x" and eight uppercase hexadecimal digits.
bool IsFrameLine(const std::string& line) {
    return line.size() == 12 && line.rfind("  0x", 0) == 0 &&
           line.find_first_not_of("0123456789ABCDEF", 4) == std::string::npos;
}

TEST(Report, ShowsTheReturnAddressOfTheRunErrorCallThenTheFramesAndAnEmptyLine) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        RaiseThroughTwoFrames(123);
    });
    const std::string& out = result.StdOut;
    EXPECT_EQ(result.ExitCode, 123);
    std::vector<std::string> lines = CrLfLines(out);
    ASSERT_GE(lines.size(), 4u) << out;
    EXPECT_EQ(lines[0], "Runtime error 123 at 0x" + AddressLine(AfterRunErrorCall).substr(4));
    EXPECT_EQ(lines[1], AddressLine(AfterRunErrorCall));
    EXPECT_EQ(lines[2], AddressLine(AfterRaiseInnerCall));
    for (std::size_t i = 2; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(IsFrameLine(lines[i])) << "line " << i << ": " << lines[i];
    EXPECT_EQ(out.substr(out.size() - 4), "\r\n\r\n") << "the report ends with an empty line";
    EXPECT_EQ(out.find('\n'), out.find("\r\n") + 1) << "every line ends in CR LF";
}

// A recursion that dumps the stack from its deepest frame.
[[gnu::noinline]] void DumpAtDepth(int depth) {
    if (depth > 0)
        DumpAtDepth(depth - 1);
    else
        DumpStack(StdOut, __builtin_frame_address(0));
    asm volatile("" ::: "memory"); // keeps the recursion a real one
}

// Empties the buffer onto descriptor 1, whatever device the file's handle is.
std::int32_t WriteToDescriptorOne(TextRec& file) {
    if (::write(1, file.BufPtr, static_cast<std::size_t>(file.BufPos)) != file.BufPos)
        std::_Exit(91);
    file.BufPos = 0;
    return 0;
}

// The frame lines that a dump from twenty calls deep writes on a pipe, or on
// StdOut given the handle of standard input, put on /dev/null, a character
// device.
std::size_t FrameLinesOfADeepDump(bool onCharacterDevice) {
    auto result = TestSupport::RunInChild([onCharacterDevice] {
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        InitializeUnits();
        if (onCharacterDevice) {
            StdOut.Handle = StdInputHandle;
            StdOut.InOutFunc = StdOut.FlushFunc = WriteToDescriptorOne;
        }
        DumpAtDepth(20);
    });
    EXPECT_EQ(result.ExitCode, 0);
    std::vector<std::string> lines = CrLfLines(result.StdOut);
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), IsFrameLine));
}

TEST(StackDump, IsCutAtNineFrameLinesOnACharacterDeviceButNotOnAPipe) {
    EXPECT_EQ(FrameLinesOfADeepDump(true), 9u);
    EXPECT_GT(FrameLinesOfADeepDump(false), 21u);
}

} // namespace
