// Console handles and console input through kernel32, on the headless
// console: which handles are console handles, "CONOUT$", the input queue and
// waiting on it.
#include "console/headless/HeadlessConsole.h"
#include "console/tty/TtyConsole.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

class ConsoleHandles : public testing::Test {
protected:
    WinApi::HeadlessConsole* Select(SHORT width = 80) {
        auto* console = new WinApi::HeadlessConsole(width, 25);
        WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(console));
        return console;
    }
    // Later tests in this process find the console a process starts with.
    void TearDown() override { WinApi::SelectConsole(WinApi::MakeTtyConsole()); }
};
using ConsoleInput = ConsoleHandles;

void Print(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
}

TEST_F(ConsoleHandles, StandardHandlesReachTheConsoleSelectedLast) {
    WinApi::HeadlessConsole* first = Select();
    HANDLE firstOut = GetStdHandle(STD_OUTPUT_HANDLE);
    EXPECT_EQ(GetFileType(firstOut), static_cast<DWORD>(FILE_TYPE_CHAR));
    EXPECT_EQ(GetFileType(GetStdHandle(STD_INPUT_HANDLE)), static_cast<DWORD>(FILE_TYPE_CHAR));

    WinApi::HeadlessConsole* second = Select(40);
    EXPECT_NE(GetStdHandle(STD_OUTPUT_HANDLE), firstOut);
    Print(GetStdHandle(STD_OUTPUT_HANDLE), "out");
    Print(GetStdHandle(STD_ERROR_HANDLE), "+err");
    EXPECT_EQ(second->Row(0).substr(0, 8), "out+err ");
    EXPECT_EQ(first->Row(0), std::string(80, ' '));
    second->PressKey('Q', 0x10, 'q', 0);
    DWORD count = 0;
    ASSERT_TRUE(GetNumberOfConsoleInputEvents(GetStdHandle(STD_INPUT_HANDLE), &count));
    EXPECT_EQ(count, 2u);
    // The screen buffer is not an input buffer, nor the other way round.
    EXPECT_FALSE(GetNumberOfConsoleInputEvents(GetStdHandle(STD_OUTPUT_HANDLE), &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    EXPECT_FALSE(GetConsoleScreenBufferInfo(GetStdHandle(STD_INPUT_HANDLE), &info));
    // Console input is taken as records, never with the file calls.
    char byte = 0;
    EXPECT_FALSE(ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr));
    EXPECT_FALSE(WriteFile(GetStdHandle(STD_INPUT_HANDLE), "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(GetNumberOfConsoleInputEvents(GetStdHandle(STD_INPUT_HANDLE), &count));
    EXPECT_EQ(count, 2u);

    // SetStdHandle still overrides, until the next console is selected.
    ASSERT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, firstOut));
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), firstOut);
    Select();
    EXPECT_NE(GetStdHandle(STD_OUTPUT_HANDLE), firstOut);
}

TEST_F(ConsoleHandles, RedirectedOutputIsAPipeWithoutScreenBufferYetConoutOpensIt) {
    WinApi::HeadlessConsole* console = Select();
    console->SetStandardHandlesAreConsole(false);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    int saved = ::dup(1);
    ::dup2(ends[1], 1);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = GetFileType(out);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    BOOL gotInfo = GetConsoleScreenBufferInfo(out, &info);
    DWORD error = GetLastError();
    ::dup2(saved, 1);
    for (int descriptor : {saved, ends[0], ends[1]})
        ::close(descriptor);
    EXPECT_EQ(type, static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_FALSE(gotInfo);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_HANDLE));

    HANDLE screen =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    Print(screen, "seen");
    EXPECT_EQ(console->Row(0).substr(0, 5), "seen ");
    EXPECT_TRUE(CloseHandle(screen));
    EXPECT_FALSE(CloseHandle(screen));
    console->SetConsoleOutputAvailable(false);
    EXPECT_EQ(CreateFileA("CONOUT$", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ConsoleInput, WaitsKeepTheirLimitAndReadingAnEmptyQueueWaitsForTheUser) {
    WinApi::HeadlessConsole* console = Select();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    EXPECT_EQ(WaitForSingleObject(input, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(input, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    std::thread user([console] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        console->PressKey('Z', 0x2C, 'z', 0);
    });
    EXPECT_EQ(WaitForSingleObject(input, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    user.join();
    // Waiting takes nothing from the queue.
    EXPECT_EQ(WaitForSingleObject(input, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(console->PendingInput(), 2u);

    // Records come in order, as many as asked for and are there.
    INPUT_RECORD focus{};
    focus.EventType = FOCUS_EVENT;
    console->PushInput(focus);
    INPUT_RECORD records[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleInputA(input, records, 4, &read));
    ASSERT_EQ(read, 3u);
    EXPECT_EQ(records[0].Event.KeyEvent.bKeyDown, TRUE);
    EXPECT_EQ(records[1].Event.KeyEvent.bKeyDown, FALSE);
    EXPECT_EQ(records[1].Event.KeyEvent.wVirtualScanCode, 0x2C);
    EXPECT_EQ(records[2].EventType, FOCUS_EVENT);
    std::thread later([console] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        console->PressKey('Y', 0x15, 'y', 0);
    });
    ASSERT_TRUE(ReadConsoleInputA(input, records, 1, &read));
    later.join();
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(records[0].Event.KeyEvent.uChar.AsciiChar, 'y');
}

} // namespace
