// The text-file layer against a device of the test's own: buffer rules, line
// reading, mode checks and the gating by a pending I/O result.
#include "RuntimeTestSupport.h"
#include "runtime/Lifecycle.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Runtime;

// What the device saw: its calls by initial (Open, Transfer, Flush, Close),
// what output emptied from the buffer, and what the next refill hands out.
// The operations are plain function pointers, so the state is static.
std::string Calls, Written, ToRead;

template <char Initial>
std::int32_t Note(TextRec&) {
    Calls += Initial;
    return 0;
}

std::int32_t Transfer(TextRec& file) {
    Calls += 'T';
    if (file.Mode == ModeInput)
        file.BufEnd = static_cast<std::int32_t>(ToRead.copy(file.BufPtr, ToRead.size()));
    else
        Written.append(file.BufPtr, static_cast<std::size_t>(file.BufPos));
    file.BufPos = 0;
    return 0;
}

class TextFileLayer : public ::testing::Test {
protected:
    void SetUp() override {
        Calls = Written = ToRead = "";
        InOutRes = 0;
        Assign(File, "");
        File.OpenFunc = Note<'O'>;
        File.InOutFunc = Transfer;
        File.FlushFunc = Note<'F'>;
        File.CloseFunc = Note<'C'>;
    }
    void TearDown() override { InOutRes = 0; }

    std::string Buffered() const { return {File.Buffer, static_cast<std::size_t>(File.BufPos)}; }

    TextRec File;
};

TEST_F(TextFileLayer, ThreeHundredCharactersEmptyTheBufferOnceAndKeepFortyFour) {
    Rewrite(File);
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += static_cast<char>('a' + i % 26);
    Write(File, text);
    EXPECT_EQ(Calls, "OT");
    EXPECT_EQ(Written, text.substr(0, 256));
    EXPECT_EQ(Buffered(), text.substr(256));
    WriteLn(File);
    EXPECT_EQ(Buffered(), text.substr(256) + "\r\n");
    EXPECT_EQ(Calls, "OTF") << "the line end flushes";
}

TEST_F(TextFileLayer, CrLfIsConsumedTogetherAndALoneLfEndsTheLine) {
    ToRead = "ab\r\ncd\n";
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 4);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 7);
    EXPECT_EQ(Calls, "OT");
}

TEST_F(TextFileLayer, EveryOperationIsSkippedWhileAResultIsPending) {
    Rewrite(File);
    Write(File, "kept");
    InOutRes = 42;
    Write(File, "more");
    WriteLn(File);
    ReadLn(File);
    Reset(File);
    Rewrite(File);
    Close(File);
    EXPECT_EQ(InOutRes, 42);
    EXPECT_EQ(File.Mode, ModeOutput) << "Close leaves the file open";
    EXPECT_EQ(Buffered(), "kept");
    EXPECT_EQ(Calls, "O");
}

TEST_F(TextFileLayer, WrongModesGiveResults102To105WithoutReachingTheDevice) {
    struct Case {
        std::uint32_t Mode;
        void (*Operation)(TextRec&);
        std::uint16_t Result;
    };
    const Case cases[] = {{0x1234, [](TextRec& f) { Rewrite(f); }, 102},
                          {ModeClosed, [](TextRec& f) { Write(f, "x"); }, 103},
                          {ModeClosed, [](TextRec& f) { Close(f); }, 103},
                          {ModeOutput, [](TextRec& f) { ReadLn(f); }, 104},
                          {ModeInput, [](TextRec& f) { Write(f, "x"); }, 105}};
    for (const Case& c : cases) {
        InOutRes = 0;
        File.Mode = c.Mode;
        c.Operation(File);
        EXPECT_EQ(InOutRes, c.Result) << "mode " << c.Mode;
    }
    EXPECT_EQ(Calls, "");
}

TEST(StandardInput, ReadLnOnAClosedEmptyPipeEndsWithoutError) {
    auto result = TestSupport::RunInChild([] {
        InitializeUnits();
        ReadLn(Input);
        IOCheck();
        ReadLn(Input);
        IOCheck();
        RuntimeTest::Say("done");
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "done\r\n");
}

} // namespace
