// Text files on Windows handles: the standard files over pipes, terminals
// and other descriptors, in child processes that own their descriptors.
#include "RuntimeTestSupport.h"
#include "runtime/Lifecycle.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using namespace Runtime;
using RuntimeTest::Say;

// Writes a small report on standard error, apart from the file under test.
void Tell(const std::string& text) {
    WriteLn(StdErr, text);
}

TEST(IOResults, WindowsErrorsMapAsTheTableSays) {
    EXPECT_EQ(IOResultFromWindowsError(2), 2);
    EXPECT_EQ(IOResultFromWindowsError(18), 18);
    EXPECT_EQ(IOResultFromWindowsError(19), 150);
    EXPECT_EQ(IOResultFromWindowsError(31), 162);
    EXPECT_EQ(IOResultFromWindowsError(32), 5);
    EXPECT_EQ(IOResultFromWindowsError(33), 33);
    EXPECT_EQ(IOResultFromWindowsError(0x12345), 0x2345);
}

TEST(StandardInput, ReadLnOnAClosedEmptyPipeEndsWithoutError) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        ReadLn(Input);
        IOCheck();
        ReadLn(Input);
        IOCheck();
        Say("done");
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "done\r\n");
}

TEST(StandardInput, LinesAreReadThroughTheHandle) {
    auto result = TestSupport::RunInChild(
        [] {
            InitializeUnits();
            for (int i = 0; i < 3; ++i) {
                ReadLn(Input);
                Tell(std::to_string(Input.BufPos) + "/" + std::to_string(Input.BufEnd));
            }
            ReadLn(Input);
            IOCheck();
        },
        "first\r\nsecond\nthird");
    EXPECT_EQ(result.ExitCode, 0);
    // The last line has no line end: reading it runs into the end of data,
    // which leaves the buffer empty.
    EXPECT_EQ(result.StdErr, "7/19\r\n14/19\r\n0/0\r\n");
}

TEST(StandardInput, ReadFailureBecomesTheMappedIOResult) {
    auto result = TestSupport::RunInChild([] {
        // Reading a directory fails with a general failure, Windows error 31.
        int directory = ::open("/", O_RDONLY | O_DIRECTORY);
        ::dup2(directory, 0);
        InitializeUnits();
        ReadLn(Input);
        IOCheck();
    });
    EXPECT_EQ(result.ExitCode, 162);
    EXPECT_EQ(result.StdOut.rfind("Runtime error 162 at 0x", 0), 0u);
}

TEST(StandardOutput, TextReachesTheHandleAtTheLineEnd) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        Write(Output, "line");
        Write(Output, 1);
        WriteLn(Output);
        Write(Output, "never flushed");
        ExitProcess(0);
    });
    EXPECT_EQ(result.StdOut, "line1\r\n");
}

TEST(StandardOutput, LongTextIsWrittenWhole) {
    std::string text(1000, 'q');
    auto result = TestSupport::RunInChild([&] {
        InitializeUnits();
        WriteLn(StdOut, text);
    });
    EXPECT_EQ(result.StdOut, text + "\r\n");
}

TEST(StandardOutput, WriteToAPipeWithoutReaderFails) {
    auto result = TestSupport::RunInChild([] {
        int ends[2];
        if (::pipe(ends) != 0)
            std::_Exit(90);
        ::close(ends[0]);
        ::dup2(ends[1], 1);
        InitializeUnits();
        WriteLn(StdOut, "lost");
        std::uint16_t pending = InOutRes;
        InOutRes = 0;
        Tell(std::to_string(pending));
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdErr, std::to_string(ERROR_NO_DATA) + "\r\n");
}

TEST(HandleFiles, CloseClosesAHandleThatIsNotStandard) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        HANDLE handle = StdOutputHandle;
        StdOutputHandle = nullptr; // no longer one of the standard handles
        TextRec file;
        BindHandleFile(file, handle, ModeOutput);
        Write(file, "before close");
        Close(file);
        std::uint16_t closeResult = InOutRes;
        Tell(std::to_string(closeResult) +
             (GetFileType(handle) == FILE_TYPE_UNKNOWN ? " closed" : " open"));
    });
    EXPECT_EQ(result.StdOut, "before close");
    EXPECT_EQ(result.StdErr, "0 closed\r\n");
}

TEST(HandleFiles, CloseKeepsACharacterDeviceOpen) {
    auto result = TestSupport::RunInChild([] {
        int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            std::_Exit(90);
        ::dup2(::open(::ptsname(master), O_RDWR | O_NOCTTY), 1);
        InitializeUnits();
        HANDLE handle = StdOutputHandle;
        StdOutputHandle = nullptr;
        TextRec file;
        BindHandleFile(file, handle, ModeOutput);
        Close(file);
        Tell(GetFileType(handle) == FILE_TYPE_CHAR ? "open" : "closed");
    });
    EXPECT_EQ(result.StdErr, "open\r\n");
}

TEST(HandleFiles, ReopeningForInputReadsThroughTheSameHandle) {
    auto result = TestSupport::RunInChild(
        [] {
            InitializeUnits();
            TextRec file;
            BindHandleFile(file, StdInputHandle, ModeOutput);
            Reset(file);
            ReadLn(file);
            Tell(std::to_string(InOutRes) + " " + std::to_string(file.BufPos));
        },
        "abc\ndef\n");
    EXPECT_EQ(result.StdErr, "0 4\r\n");
}

} // namespace
