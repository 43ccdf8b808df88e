// Threads, events, waits and critical sections.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

struct Handle {
    HANDLE Value;
    explicit Handle(HANDLE value) : Value(value) {}
    ~Handle() {
        if (Value)
            CloseHandle(Value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

DWORD WINAPI ReturnParameter(LPVOID parameter) {
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
}

TEST(Threads, ExitCodeIsStillActiveUntilTheRoutineReturns) {
    Handle gate(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto routine = [](LPVOID event) -> DWORD {
        WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
        return 42;
    };
    DWORD id = 0;
    Handle thread(CreateThread(nullptr, 0, routine, gate.Value, 0, &id));
    ASSERT_NE(thread.Value, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.Value, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread.Value, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(gate.Value);
    EXPECT_EQ(WaitForSingleObject(thread.Value, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(GetExitCodeThread(thread.Value, &code));
    EXPECT_EQ(code, 42u);
}

TEST(Threads, IdentifierSeenInsideIsTheOneGivenToTheCreator) {
    static std::atomic<DWORD> inside{0};
    auto routine = [](LPVOID) -> DWORD {
        inside = GetCurrentThreadId();
        return 0;
    };
    DWORD id = 0;
    Handle thread(CreateThread(nullptr, 0, routine, nullptr, 0, &id));
    WaitForSingleObject(thread.Value, INFINITE);
    EXPECT_EQ(inside.load(), id);
}

TEST(Threads, ClosingTheHandleOfARunningThreadLetsItFinish) {
    static std::atomic<bool> finished{false};
    Handle gate(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    auto routine = [](LPVOID event) -> DWORD {
        WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
        finished = true;
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, routine, gate.Value, 0, nullptr);
    ASSERT_TRUE(CloseHandle(thread));
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    SetEvent(gate.Value);
    while (!finished)
        Sleep(1);
}

TEST(Events, AutoResetEventReleasesOneWaitPerSignal) {
    Handle event(CreateEventA(nullptr, FALSE, TRUE, nullptr));
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(event.Value);
    SetEvent(event.Value);
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Events, ManualResetEventStaysSignalledUntilReset) {
    Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    SetEvent(event.Value);
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ResetEvent(event.Value);
    EXPECT_EQ(WaitForSingleObject(event.Value, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Events, WaitOnAClosedHandleFails) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "named"), nullptr);
}

TEST(CriticalSections, OwnerMayEnterAgainOthersWait) {
    static CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    auto tryFromOtherThread = [](LPVOID) -> DWORD {
        BOOL got = TryEnterCriticalSection(&section);
        if (got)
            LeaveCriticalSection(&section);
        return static_cast<DWORD>(got);
    };
    Handle first(CreateThread(nullptr, 0, tryFromOtherThread, nullptr, 0, nullptr));
    WaitForSingleObject(first.Value, INFINITE);
    DWORD code = 1;
    GetExitCodeThread(first.Value, &code);
    EXPECT_EQ(code, 0u);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    Handle second(CreateThread(nullptr, 0, tryFromOtherThread, nullptr, 0, nullptr));
    WaitForSingleObject(second.Value, INFINITE);
    GetExitCodeThread(second.Value, &code);
    EXPECT_EQ(code, 1u);
    DeleteCriticalSection(&section);
}

TEST(Threads, ParameterReachesTheRoutine) {
    Handle thread(
        CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(7), 0, nullptr));
    WaitForSingleObject(thread.Value, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread.Value, &code);
    EXPECT_EQ(code, 7u);
}

} // namespace
