// Threads, waits, critical sections and handles; the file calls over
// descriptors; module handles and the kernel32 library; and the
// unhandled-exception filter: the exception each real fault becomes and the
// end by signal when the filter declines (every fault in a child).
#define DEFINE_FAULT_ROUTINES
#include "tests/support/FaultRoutines.h"

#include "desktop/sdl/SdlDesktop.h"
#include "kernel/ProcessExit.h"
#include "tests/support/ChildProcess.h"
#include "user/DesktopEvents.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/mman.h>
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

using namespace FaultTest;

// The exception code in eight hexadecimal digits, written without allocating:
// the filter runs in signal context.
LONG WINAPI ReportAndDecline(EXCEPTION_POINTERS* info) {
    char line[9];
    for (int i = 0; i < 8; ++i)
        line[i] = "0123456789ABCDEF"[(info->ExceptionRecord->ExceptionCode >> (28 - 4 * i)) & 0xF];
    line[8] = '\n';
    if (::write(1, line, sizeof line) < 0)
        ::_exit(90);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A mapping that reaches past the end of its file, whose last page is backed
// by nothing.
void ReadBeyondTheMappedFile() {
    const long page = ::sysconf(_SC_PAGESIZE);
    int file = ::memfd_create("short", 0);
    if (file < 0 || ::ftruncate(file, page) != 0)
        ::_exit(91);
    auto* bytes =
        static_cast<volatile char*>(::mmap(nullptr, 2 * page, PROT_READ, MAP_SHARED, file, 0));
    (void)bytes[page];
}

struct FaultRow {
    const char* Name;
    void (*Body)();
    const char* Code;
    int Signal;
};

const FaultRow Faults[] = {
    {"Illegal", FaultIllegal, "C000001D", SIGILL},
    {"Privileged", FaultPrivileged, "C0000096", SIGSEGV},
    {"InPage", ReadBeyondTheMappedFile, "C0000006", SIGBUS},
    {"SingleStep", FaultSingleStep, "80000004", SIGTRAP},
    {"Breakpoint", FaultBreakpoint, "80000003", SIGTRAP},
    {"X87StackCheck", [] { FaultX87StackCheck(0x1332); }, "C0000092", SIGFPE},
    {"SseInexact", [] { FaultSseInexact(0x0900); }, "C000008F", SIGFPE},
    {"SseDenormal", [] { FaultSseDenormal(0x1800); }, "C000008D", SIGFPE},
    // A signal sent from outside is no fault: the filter is not asked.
    {"Sent", [] { ::raise(SIGILL); }, nullptr, SIGILL},
};

TEST(ExceptionFilter, SeesEachFaultAsItsExceptionAndADeclinedOneEndsTheProcessBySignal) {
    static void (*body)();
    for (const FaultRow& row : Faults) {
        SCOPED_TRACE(row.Name);
        body = row.Body;
        auto result = TestSupport::RunInChild([] {
            WinApi::AtProcessExit(SayExitHooksRan);
            SetUnhandledExceptionFilter(ReportAndDecline);
            body();
        });
        EXPECT_EQ(result.Signal, row.Signal);
        EXPECT_EQ(result.StdOut, (row.Code ? row.Code + std::string("\n") : "") + "exit hooks\n");
    }
}

} // namespace
