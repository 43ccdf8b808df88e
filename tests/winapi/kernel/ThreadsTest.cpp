// Threads, waits, critical sections and handles; the file calls over
// descriptors, and module handles with the kernel32 library.
#include "desktop/sdl/SdlDesktop.h"
#include "tests/support/ChildProcess.h"
#include "user/DesktopEvents.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr DWORD Signalled = WAIT_OBJECT_0;

// With hardly any address space left no thread stack can be had: creating a
// thread fails with an error, and the SDL desktop, whose thread cannot
// start, is unavailable; neither ends the process.
TEST(Threads, AThreadThatCannotBeHadIsAFailureNotACrash) {
    auto child = TestSupport::RunInChild([] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)) + (4 << 20);
        const rlimit space{limit, limit};
        ::setrlimit(RLIMIT_AS, &space);
        // A stack larger than any an earlier test's thread left for reuse.
        HANDLE thread = CreateThread(
            nullptr, 1 << 26, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
        const DWORD error = GetLastError();
        const bool available = WinApi::MakeSdlDesktop(WinApi::UserDesktopEvents())->Available();
        std::printf("thread %d error %d desktop %d\n", thread != nullptr, error != 0, available);
        std::fflush(stdout);
    });
    EXPECT_EQ(child.Signal, 0);
    EXPECT_EQ(child.StdOut, "thread 0 error 1 desktop 0\n");
}

// Threads that fight over one section, entered twice over and written between
// the two leaves, lose no increment of a plain counter: the owner may enter
// again, others wait until every entry is left, and a thread that had to
// sleep for it is let in again.
TEST(CriticalSections, ContendingThreadsEachGetTheSectionInTurn) {
    constexpr int Threads = 4, Rounds = 20000;
    struct Shared {
        CRITICAL_SECTION Lock;
        long Count = 0;
    } shared;
    InitializeCriticalSection(&shared.Lock);
    auto work = [](LPVOID parameter) -> DWORD {
        auto* s = static_cast<Shared*>(parameter);
        for (int i = 0; i < Rounds; ++i) {
            EnterCriticalSection(&s->Lock);
            EnterCriticalSection(&s->Lock);
            long seen = s->Count;
            LeaveCriticalSection(&s->Lock);
            // Now and then the owner holds on long enough for others to sleep.
            if (i % 1000 == 0)
                Sleep(1);
            s->Count = seen + 1;
            LeaveCriticalSection(&s->Lock);
        }
        return 0;
    };
    HANDLE threads[Threads];
    for (HANDLE& thread : threads)
        thread = CreateThread(nullptr, 0, work, &shared, 0, nullptr);
    for (HANDLE thread : threads) {
        ASSERT_EQ(WaitForSingleObject(thread, INFINITE), Signalled);
        CloseHandle(thread);
    }
    EXPECT_EQ(shared.Count, static_cast<long>(Threads) * Rounds);
    DeleteCriticalSection(&shared.Lock);
}

// A closed handle stays refused, also after its slot in the table has been
// given to new objects, which work under their own handles.
TEST(Handles, AClosedHandleIsRefusedAfterItsSlotIsReused) {
    HANDLE first = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(first));
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(first));
    for (int round = 0; round < 300; ++round) {
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(event, first);
        EXPECT_TRUE(SetEvent(event) && !SetEvent(first));
        EXPECT_EQ(WaitForSingleObject(event, 0), Signalled);
        ASSERT_TRUE(CloseHandle(event));
    }
}

TEST(FileCalls, WriteToAPipeWithoutReaderFailsInsteadOfKillingTheProcess) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    // Standard output is back before any assertion can print to it.
    const int saved = ::dup(1);
    ::dup2(ends[1], 1);
    DWORD written = 0;
    const BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "lost", 4, &written, nullptr);
    const DWORD error = GetLastError();
    ::dup2(saved, 1);
    ::close(saved);
    ::close(ends[1]);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_DATA));
}

TEST(Modules, ProgramIsFoundByItsFileNameAndKernel32IsCountedAndExportsItsFunctions) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_EQ(GetModuleHandleA(path), GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
    HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(LoadLibraryA("kernel32"), kernel);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")),
              reinterpret_cast<void*>(&GetDiskFreeSpaceExA));
    EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // Loaded twice, so freed twice.
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_FALSE(FreeLibrary(kernel));
}

} // namespace
