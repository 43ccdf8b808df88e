// Threads, events, waits and critical sections.
#include "desktop/sdl/SdlDesktop.h"
#include "tests/support/ChildProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr DWORD Signalled = WAIT_OBJECT_0;
constexpr DWORD Unsignalled = WAIT_TIMEOUT;

// With hardly any address space left no thread stack can be had: creating a
// thread fails with an error, and the SDL desktop, whose thread cannot
// start, is unavailable; neither ends the process.
TEST(Threads, AThreadThatCannotBeHadIsAFailureNotACrash) {
    auto child = TestSupport::RunInChild([] {
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        const rlim_t limit = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)) + (4 << 20);
        const rlimit space{limit, limit};
        ::setrlimit(RLIMIT_AS, &space);
        HANDLE thread = CreateThread(
            nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
        const DWORD error = GetLastError();
        const bool available = WinApi::MakeSdlDesktop()->Available();
        std::printf("thread %d error %d desktop %d\n", thread != nullptr, error != 0, available);
        std::fflush(stdout);
    });
    EXPECT_EQ(child.Signal, 0);
    EXPECT_EQ(child.StdOut, "thread 0 error 1 desktop 0\n");
}

TEST(Threads, ExitCodeIsStillActiveUntilTheRoutineReturnsItsResult) {
    struct Shared {
        HANDLE Gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::atomic<DWORD> IdInside{0};
    } shared;
    auto routine = [](LPVOID parameter) -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        s->IdInside = GetCurrentThreadId();
        WaitForSingleObject(s->Gate, INFINITE);
        return 42;
    };
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, routine, &shared, 0, &id);
    ASSERT_NE(thread, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 10), Unsignalled);
    SetEvent(shared.Gate);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), Signalled);
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    // The identifier the creator was given is the one the thread sees.
    EXPECT_EQ(shared.IdInside.load(), id);
    CloseHandle(thread);
    CloseHandle(shared.Gate);
}

TEST(Events, AutoResetReleasesOneWaitPerSignalManualResetStaysUntilResetClosedAreRefused) {
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), Signalled);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), Unsignalled);
    SetEvent(automatic);
    SetEvent(automatic);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), Signalled);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), Unsignalled);

    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), Unsignalled);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), Signalled);
    EXPECT_EQ(WaitForSingleObject(manual, 0), Signalled);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), Unsignalled);
    // Closed handles are refused, however they were signalled.
    for (HANDLE event : {automatic, manual}) {
        ASSERT_TRUE(CloseHandle(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(SetEvent(event));
        EXPECT_FALSE(CloseHandle(event));
    }
}

CRITICAL_SECTION Section;

bool AnotherThreadCanEnter() {
    auto tryToEnter = [](LPVOID) -> DWORD {
        BOOL entered = TryEnterCriticalSection(&Section);
        if (entered)
            LeaveCriticalSection(&Section);
        return entered ? 1 : 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, tryToEnter, nullptr, 0, nullptr);
    DWORD code = 2;
    WaitForSingleObject(thread, INFINITE);
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code == 1;
}

TEST(CriticalSections, OwnerMayEnterAgainOthersWaitUntilEveryEntryIsLeft) {
    InitializeCriticalSection(&Section);
    EnterCriticalSection(&Section);
    EnterCriticalSection(&Section);
    EXPECT_FALSE(AnotherThreadCanEnter());
    LeaveCriticalSection(&Section);
    EXPECT_FALSE(AnotherThreadCanEnter());
    LeaveCriticalSection(&Section);
    EXPECT_TRUE(AnotherThreadCanEnter());
    DeleteCriticalSection(&Section);
}

} // namespace
