// The text-file layer against a device of the test's own: buffer rules, line
// reading, mode checks and the gating by a pending I/O result.
#include "runtime/TextFile.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Runtime;

// What the device saw: its calls by initial (Open, Transfer, Flush, Close),
// and what output emptied from the buffer; and what the refills hand out,
// one piece each. The operations are plain function pointers, so the state
// is static.
std::string Calls, Written;
std::vector<std::string> ToRead;

template <char Initial>
std::int32_t Note(TextRec&) {
    Calls += Initial;
    return 0;
}

std::int32_t Transfer(TextRec& file) {
    Calls += 'T';
    if (file.Mode == ModeInput) {
        const std::string piece = ToRead.empty() ? "" : ToRead.front();
        if (!ToRead.empty())
            ToRead.erase(ToRead.begin());
        file.BufEnd = static_cast<std::int32_t>(piece.copy(file.BufPtr, piece.size()));
    } else
        Written.append(file.BufPtr, static_cast<std::size_t>(file.BufPos));
    file.BufPos = 0;
    return 0;
}

class TextFileLayer : public ::testing::Test {
protected:
    void SetUp() override {
        Calls = Written = "";
        ToRead.clear();
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

TEST_F(TextFileLayer, ThreeHundredCharactersEmptyTheBufferOnceAndAPendingResultStopsTheRest) {
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
    // While a result is pending every operation is skipped.
    InOutRes = 42;
    Write(File, "more");
    WriteLn(File);
    ReadLn(File);
    Reset(File);
    Rewrite(File);
    Close(File);
    EXPECT_EQ(InOutRes, 42);
    EXPECT_EQ(File.Mode, ModeOutput) << "Close leaves the file open";
    EXPECT_EQ(Buffered(), text.substr(256) + "\r\n");
    EXPECT_EQ(Calls, "OTF");
}

// A CR ends the line; the LF after it is taken only from the data buffered.
// The third piece ends in a CR and the first left a LF just past it, which
// the reader must not take; the LF of the fourth piece is an empty line.
TEST_F(TextFileLayer, ReadLnEndsAtCrLfOrCrOrLfAndNeverLooksPastTheBufferedData) {
    ToRead = {"ab\r\ncd\n", "ef\r", "\ng\n"};
    Reset(File);
    for (std::int32_t position : {4, 7, 3, 1, 3}) {
        ReadLn(File);
        EXPECT_EQ(File.BufPos, position);
        EXPECT_LE(File.BufPos, File.BufEnd);
    }
    EXPECT_EQ(Calls, "OTTT");
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
        WriteLn(StdOut, "done");
    });
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.StdOut, "done\r\n");
}

} // namespace
