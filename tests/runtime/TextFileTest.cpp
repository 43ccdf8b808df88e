// The text-file layer against a device of the test's own: buffer rules, line
// reading, mode checks and the gating by a pending I/O result.
#include "runtime/TextFile.h"
#include "runtime/StandardFiles.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

using namespace Runtime;

// What the device saw. The operations are plain function pointers, so the
// device keeps its state in one static object.
struct DeviceLog {
    std::string Written;            // what output emptied from the buffer
    std::deque<std::string> ToRead; // what input hands out, one refill each
    int Opens = 0, Transfers = 0, Flushes = 0, Closes = 0;
    std::int32_t BufPosAtTransfer = -1;
    std::uint16_t FailTransferWith = 0; // sets this I/O result instead of moving data
    std::uint16_t FailOpenWith = 0;
};
DeviceLog Log;

std::int32_t DeviceOpen(TextRec&) {
    ++Log.Opens;
    if (Log.FailOpenWith)
        InOutRes = Log.FailOpenWith;
    return 0;
}

std::int32_t DeviceTransfer(TextRec& file) {
    ++Log.Transfers;
    Log.BufPosAtTransfer = file.BufPos;
    if (Log.FailTransferWith) {
        InOutRes = Log.FailTransferWith;
        file.BufPos = 0;
        return 0;
    }
    if (file.Mode == ModeInput) {
        file.BufPos = 0;
        file.BufEnd = 0;
        if (!Log.ToRead.empty()) {
            std::string chunk = Log.ToRead.front();
            Log.ToRead.pop_front();
            chunk.copy(file.BufPtr, chunk.size());
            file.BufEnd = static_cast<std::int32_t>(chunk.size());
        }
    } else {
        Log.Written.append(file.BufPtr, static_cast<std::size_t>(file.BufPos));
        file.BufPos = 0;
    }
    return 0;
}

std::int32_t DeviceFlush(TextRec&) {
    ++Log.Flushes;
    return 0;
}

std::int32_t DeviceClose(TextRec&) {
    ++Log.Closes;
    return 0;
}

class TextFileLayer : public ::testing::Test {
protected:
    void SetUp() override {
        Log = DeviceLog{};
        InOutRes = 0;
        Assign(File, "");
        File.OpenFunc = DeviceOpen;
        File.InOutFunc = DeviceTransfer;
        File.FlushFunc = DeviceFlush;
        File.CloseFunc = DeviceClose;
    }
    void TearDown() override { InOutRes = 0; }

    std::string Buffered() const {
        return std::string(File.Buffer, static_cast<std::size_t>(File.BufPos));
    }

    TextRec File;
};

TEST_F(TextFileLayer, AssignResetsTheRecordAndKeepsTheName) {
    File.BufPos = 7;
    Assign(File, "data.txt");
    EXPECT_EQ(File.Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(File.Mode, ModeClosed);
    EXPECT_EQ(File.BufSize, 256);
    EXPECT_EQ(File.BufPos, 0);
    EXPECT_EQ(File.BufPtr, File.Buffer);
    EXPECT_EQ(File.InOutFunc, nullptr);
    EXPECT_STREQ(File.Name, "data.txt");
}

TEST_F(TextFileLayer, ThreeHundredCharactersEmptyTheBufferOnceAndKeepFortyFour) {
    Rewrite(File);
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += static_cast<char>('a' + i % 26);
    Write(File, text);
    EXPECT_EQ(Log.Transfers, 1);
    EXPECT_EQ(Log.Written, text.substr(0, 256));
    EXPECT_EQ(Buffered(), text.substr(256));
    EXPECT_EQ(Log.Flushes, 0);
}

TEST_F(TextFileLayer, AFullBufferIsEmptiedOnlyWhenMoreArrives) {
    Rewrite(File);
    Write(File, std::string(256, 'x'));
    EXPECT_EQ(Log.Transfers, 0);
    Write(File, 'y');
    EXPECT_EQ(Log.Transfers, 1);
    EXPECT_EQ(Log.BufPosAtTransfer, 256);
    EXPECT_EQ(Buffered(), "y");
}

TEST_F(TextFileLayer, LineEndAppendsCrLfThenFlushes) {
    Rewrite(File);
    WriteLn(File, "hi");
    EXPECT_EQ(Buffered(), "hi\r\n");
    EXPECT_EQ(Log.Flushes, 1);
    EXPECT_EQ(Log.Transfers, 0);
}

TEST_F(TextFileLayer, LineEndSplitAcrossAFullBuffer) {
    Rewrite(File);
    Write(File, std::string(255, 'x'));
    WriteLn(File);
    EXPECT_EQ(Log.Transfers, 1);
    EXPECT_EQ(Log.Written, std::string(255, 'x') + "\r");
    EXPECT_EQ(Buffered(), "\n");
    EXPECT_EQ(Log.Flushes, 1);
}

TEST_F(TextFileLayer, LineEndWithoutFlushOperationOnlyBuffers) {
    File.FlushFunc = nullptr;
    Rewrite(File);
    WriteLn(File);
    EXPECT_EQ(Buffered(), "\r\n");
}

TEST_F(TextFileLayer, NumbersAreWrittenInDecimal) {
    Rewrite(File);
    Write(File, std::int64_t{-1234});
    Write(File, ' ');
    Write(File, 0);
    Write(File, ' ');
    Write(File, std::uint16_t{65535});
    Write(File, ' ');
    Write(File, INT64_MIN);
    EXPECT_EQ(Buffered(), "-1234 0 65535 -9223372036854775808");
}

TEST_F(TextFileLayer, FailedTransferStopsTheWrite) {
    Rewrite(File);
    Log.FailTransferWith = 101;
    Write(File, std::string(600, 'x'));
    EXPECT_EQ(Log.Transfers, 1);
    EXPECT_EQ(InOutRes, 101);
}

TEST_F(TextFileLayer, CrLfIsConsumedTogether) {
    Log.ToRead = {"ab\r\ncd\n"};
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 4);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 7);
    EXPECT_EQ(Log.Transfers, 1);
}

TEST_F(TextFileLayer, LoneLfEndsTheLine) {
    Log.ToRead = {"x\ny\rz"};
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 2);
    ReadLn(File);
    EXPECT_EQ(File.BufPos, 4);
}

TEST_F(TextFileLayer, CrAtTheEndOfTheBufferDoesNotWaitForLf) {
    Log.ToRead = {"ab\r", "\nnext\n"};
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(Log.Transfers, 1);
    // The LF arrives with the next refill and ends an empty line.
    ReadLn(File);
    EXPECT_EQ(Log.Transfers, 2);
    EXPECT_EQ(File.BufPos, 1);
}

TEST_F(TextFileLayer, LineSpanningRefillsIsReadWhole) {
    Log.ToRead = {"abc", "def", "g\nrest"};
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(Log.Transfers, 3);
    EXPECT_EQ(File.BufPos, 2);
    EXPECT_EQ(File.BufEnd, 6);
}

TEST_F(TextFileLayer, EndOfDataFlushesAndEndsTheRead) {
    Reset(File);
    ReadLn(File);
    EXPECT_EQ(Log.Transfers, 1);
    EXPECT_EQ(Log.Flushes, 1);
    EXPECT_EQ(InOutRes, 0);
}

TEST_F(TextFileLayer, EveryOperationIsSkippedWhileAResultIsPending) {
    Rewrite(File);
    Write(File, "kept");
    InOutRes = 42;
    Write(File, "more");
    Write(File, 'c');
    Write(File, 12);
    WriteLn(File);
    ReadLn(File);
    Reset(File);
    Rewrite(File);
    Close(File);
    EXPECT_EQ(InOutRes, 42);
    EXPECT_EQ(File.Mode, ModeOutput);
    EXPECT_EQ(Buffered(), "kept");
    EXPECT_EQ(Log.Opens, 1);
    EXPECT_EQ(Log.Transfers + Log.Flushes + Log.Closes, 0);
}

TEST_F(TextFileLayer, OpeningAFileInNoValidModeFails) {
    File.Mode = 0x1234;
    Rewrite(File);
    EXPECT_EQ(InOutRes, 102);
    EXPECT_EQ(File.Mode, 0x1234u);
    EXPECT_EQ(Log.Opens, 0);
}

TEST_F(TextFileLayer, OperationsOnAClosedFileFail) {
    Write(File, "x");
    EXPECT_EQ(InOutRes, 103);
    InOutRes = 0;
    ReadLn(File);
    EXPECT_EQ(InOutRes, 103);
    InOutRes = 0;
    Close(File);
    EXPECT_EQ(InOutRes, 103);
    InOutRes = 0;
    File.Mode = ModeInOut;
    WriteLn(File);
    EXPECT_EQ(InOutRes, 103);
    EXPECT_EQ(Log.Transfers + Log.Flushes + Log.Closes, 0);
}

TEST_F(TextFileLayer, ReadingOutputAndWritingInputFail) {
    Rewrite(File);
    ReadLn(File);
    EXPECT_EQ(InOutRes, 104);
    InOutRes = 0;
    Reset(File);
    Write(File, "x");
    EXPECT_EQ(InOutRes, 105);
    InOutRes = 0;
    File.Mode = ModeAppend;
    ReadLn(File);
    EXPECT_EQ(InOutRes, 104);
}

TEST_F(TextFileLayer, RewriteClosesAnOpenFileFirst) {
    Rewrite(File);
    Write(File, "pending");
    Rewrite(File);
    EXPECT_EQ(Log.Written, "pending");
    EXPECT_EQ(Log.Closes, 1);
    EXPECT_EQ(Log.Opens, 2);
    EXPECT_EQ(File.Mode, ModeOutput);
    EXPECT_EQ(File.BufPos, 0);
}

TEST_F(TextFileLayer, ResetOfAnInputFileClosesWithoutTransfer) {
    Log.ToRead = {"abc"};
    Reset(File);
    ReadLn(File);
    Reset(File);
    EXPECT_EQ(Log.Transfers, 2);
    EXPECT_EQ(Log.Closes, 1);
    EXPECT_EQ(File.BufEnd, 0);
}

TEST_F(TextFileLayer, FailedOpenLeavesTheFileClosed) {
    Log.FailOpenWith = 2;
    Reset(File);
    EXPECT_EQ(InOutRes, 2);
    EXPECT_EQ(File.Mode, ModeClosed);
}

TEST_F(TextFileLayer, CloseWritesOutTheBufferThenCloses) {
    Rewrite(File);
    Write(File, "tail");
    Close(File);
    EXPECT_EQ(Log.Written, "tail");
    EXPECT_EQ(Log.Closes, 1);
    EXPECT_EQ(File.Mode, ModeClosed);
    EXPECT_EQ(File.BufPos, 0);
}

TEST_F(TextFileLayer, CloseKeepsTheStandardHandlesOpen) {
    HANDLE saved = StdErrorHandle;
    StdErrorHandle = reinterpret_cast<HANDLE>(std::intptr_t{0x7000});
    File.Handle = StdErrorHandle;
    Rewrite(File);
    Close(File);
    StdErrorHandle = saved;
    EXPECT_EQ(Log.Closes, 0);
    EXPECT_EQ(File.Mode, ModeClosed);
}

} // namespace
