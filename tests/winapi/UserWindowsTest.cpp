// Window classes, window creation and geometry, system metrics, showing and
// destroying windows.
#include "UserTest.h"

namespace {

using namespace UserTest;

// What a window procedure saw of WM_CREATE, filled on the creating thread.
struct CreateRecord {
    bool Seen = false;
    bool CreateWindowHadReturned = false;
    bool ReturnedWindow = false;
    DWORD Thread = 0;
    HWND Window = nullptr;
    CREATESTRUCTA Create{};
    std::string Title;
    LRESULT Answer = 0;
    bool DestroySeen = false;
};
thread_local CreateRecord* Record = nullptr;
thread_local bool CreateReturned = false;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE && Record) {
        Record->Seen = true;
        Record->CreateWindowHadReturned = CreateReturned;
        Record->Thread = GetCurrentThreadId();
        Record->Window = window;
        Record->Create = *reinterpret_cast<CREATESTRUCTA*>(lParam);
        Record->Title = Record->Create.lpszName;
        return Record->Answer;
    }
    if (message == WM_DESTROY && Record)
        Record->DestroySeen = true;
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string RegisterRecordingClass() {
    const std::string name = UniqueClassName();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &RecordingProcedure;
    windowClass.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    return name;
}

using UserWindowCreation = UserFixture;

TEST_F(UserWindowCreation, CreateIsSentOnTheCreatingThreadBeforeCreateWindowReturns) {
    OnNewThread([&] {
        CreateRecord record;
        Record = &record;
        CreateReturned = false;
        const std::string name = RegisterRecordingClass();
        int marker = 0;
        HWND window = CreateWindowExA(0, name.c_str(), "Graph", WS_OVERLAPPEDWINDOW, 10, 20, 648,
                                      511, nullptr, nullptr, nullptr, &marker);
        CreateReturned = true;
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(record.Seen);
        EXPECT_FALSE(record.CreateWindowHadReturned);
        EXPECT_EQ(record.Thread, GetCurrentThreadId());
        EXPECT_EQ(record.Window, window);
        EXPECT_EQ(record.Create.lpCreateParams, &marker);
        EXPECT_EQ(record.Create.cx, 648);
        EXPECT_EQ(record.Create.cy, 511);
        EXPECT_EQ(record.Create.x, 10);
        EXPECT_EQ(record.Create.y, 20);
        EXPECT_EQ(record.Title, "Graph");
        EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
        EXPECT_TRUE(DestroyWindow(window));
        Record = nullptr;
    });
}

TEST_F(UserWindowCreation, CreateAnsweringMinusOneFailsAndDestroysTheWindow) {
    OnNewThread([&] {
        CreateRecord record;
        record.Answer = -1;
        Record = &record;
        const std::string name = RegisterRecordingClass();
        HWND window = CreateTestWindow(name);
        EXPECT_EQ(window, nullptr);
        EXPECT_TRUE(record.Seen);
        EXPECT_TRUE(record.DestroySeen);
        EXPECT_FALSE(IsWindow(record.Window));
        EXPECT_TRUE(Desktop->Windows().empty());
        Record = nullptr;
    });
}

TEST_F(UserWindowCreation, FailsWhenTheDesktopRefusesTheWindow) {
    Desktop->SetAcceptWindows(false);
    OnNewThread([&] {
        CreateRecord record;
        Record = &record;
        const std::string name = RegisterRecordingClass();
        SetLastError(0);
        EXPECT_EQ(CreateTestWindow(name), nullptr);
        EXPECT_NE(GetLastError(), 0u);
        EXPECT_FALSE(record.Seen);
        Record = nullptr;
    });
    EXPECT_TRUE(Desktop->Windows().empty());
}

TEST_F(UserWindowCreation, FailsWhenNoDisplayIsAvailable) {
    Desktop->SetAvailable(false);
    OnNewThread([&] {
        const std::string name = RegisterRecordingClass();
        SetLastError(0);
        EXPECT_EQ(CreateTestWindow(name), nullptr);
        EXPECT_NE(GetLastError(), 0u);
    });
}

TEST_F(UserWindowCreation, UnknownClassFailsWithItsOwnError) {
    OnNewThread([&] {
        EXPECT_EQ(CreateTestWindow("NoSuchClassAnywhere"), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    });
}

using UserWindowClasses = UserFixture;

TEST_F(UserWindowClasses, ASecondRegistrationOfTheSameNameFails) {
    const std::string name = UniqueClassName();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.lpszClassName = name.c_str();
    ATOM atom = RegisterClassA(&windowClass);
    EXPECT_NE(atom, 0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    // Class names do not depend on case.
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    windowClass.lpszClassName = upper.c_str();
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(UserWindowClasses, RegistrationFailsWhenTheDesktopRefusesIt) {
    Desktop->SetAllowClassRegistration(false);
    const std::string name = UniqueClassName();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.lpszClassName = name.c_str();
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    Desktop->SetAllowClassRegistration(true);
    EXPECT_NE(RegisterClassA(&windowClass), 0);
}

TEST_F(UserWindowClasses, StockIconAndCursorExist) {
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
}

using UserWindowGeometry = UserFixture;

TEST_F(UserWindowGeometry, OuterSizeLessFramesAndCaptionIsTheClientArea) {
    WindowThread::Options options;
    options.X = 10;
    options.Y = 20;
    WindowThread thread(options);
    ASSERT_NE(thread.Window, nullptr);
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(thread.Window, &client));
    ASSERT_TRUE(GetWindowRect(thread.Window, &outer));
    EXPECT_TRUE(SameRect(client, {0, 0, 640, 480})) << Describe(client);
    // 640 + 2 frames across; 480 + 2 frames + the caption down.
    EXPECT_TRUE(SameRect(outer, {10, 20, 658, 531})) << Describe(outer);

    auto info = Desktop->Info(thread.Window);
    ASSERT_TRUE(info);
    EXPECT_TRUE(SameRect(info->Outer, outer));
    EXPECT_TRUE(SameRect(info->Client, {14, 47, 654, 527})) << Describe(info->Client);
    EXPECT_TRUE(info->Visible);
    EXPECT_FALSE(info->Maximized);
    EXPECT_EQ(info->Title, "Test window");
    auto pixels = Desktop->ClientPixels(thread.Window);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->Width, 640);
    EXPECT_EQ(pixels->Height, 480);
}

TEST_F(UserWindowGeometry, AMaximisedWindowFillsTheWorkAreaBelowItsCaption) {
    WindowThread::Options options;
    options.Style |= WS_MAXIMIZE;
    WindowThread thread(options);
    ASSERT_NE(thread.Window, nullptr);
    RECT client, outer;
    GetClientRect(thread.Window, &client);
    GetWindowRect(thread.Window, &outer);
    EXPECT_TRUE(SameRect(client, {0, 0, 1920, 1017})) << Describe(client);
    EXPECT_TRUE(SameRect(outer, {-4, -4, 1924, 1044})) << Describe(outer);
    auto info = Desktop->Info(thread.Window);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->Maximized);
    EXPECT_TRUE(SameRect(info->Client, {0, 23, 1920, 1040})) << Describe(info->Client);
    EXPECT_EQ(Desktop->ClientPixels(thread.Window)->Width, 1920);
    EXPECT_EQ(Desktop->ClientPixels(thread.Window)->Height, 1017);
}

TEST_F(UserWindowGeometry, MaximisedSizeFollowsTheScreen) {
    Select(std::make_unique<WinApi::HeadlessDesktop>(1024, 768, 30));
    WindowThread::Options options;
    options.Style |= WS_MAXIMIZE;
    WindowThread thread(options);
    RECT client;
    ASSERT_TRUE(GetClientRect(thread.Window, &client));
    EXPECT_TRUE(SameRect(client, {0, 0, 1024, 738 - 23})) << Describe(client);
}

TEST_F(UserWindowGeometry, DefaultPositionsCascadeInsideTheWorkArea) {
    WindowThread first;
    WindowThread second;
    RECT a, b;
    GetWindowRect(first.Window, &a);
    GetWindowRect(second.Window, &b);
    EXPECT_FALSE(a.left == b.left && a.top == b.top);
    for (const RECT& r : {a, b}) {
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 1920);
        EXPECT_LE(r.bottom, 1040);
        EXPECT_EQ(r.right - r.left, 648);
        EXPECT_EQ(r.bottom - r.top, 511);
    }
}

using UserSystemMetrics = UserFixture;

TEST_F(UserSystemMetrics, DefaultScreenHasATaskbarAlongTheBottom) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 1017);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 23);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
}

TEST_F(UserSystemMetrics, FollowASmallerScreen) {
    Select(std::make_unique<WinApi::HeadlessDesktop>(1024, 768, 40));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 768 - 40 - 23);
    // The largest framed, captioned client area that fits on this screen.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) - 2 * GetSystemMetrics(SM_CXFRAME), 1016);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) - 2 * GetSystemMetrics(SM_CYFRAME) -
                  GetSystemMetrics(SM_CYCAPTION),
              737);
}

using UserWindowLifetime = UserFixture;

TEST_F(UserWindowLifetime, ShowingAndHidingReachTheDesktop) {
    WindowThread::Options options;
    options.Style = WS_OVERLAPPEDWINDOW;
    WindowThread thread(options);
    ASSERT_TRUE(Desktop->Info(thread.Window));
    EXPECT_FALSE(Desktop->Info(thread.Window)->Visible);
    EXPECT_FALSE(ShowWindow(thread.Window, SW_SHOW));
    EXPECT_TRUE(Desktop->Info(thread.Window)->Visible);
    EXPECT_TRUE(ShowWindow(thread.Window, SW_HIDE));
    EXPECT_FALSE(Desktop->Info(thread.Window)->Visible);
}

TEST_F(UserWindowLifetime, DestroySendsDestroyAndInvalidatesTheHandle) {
    WindowThread thread;
    HWND window = thread.Window;
    bool destroyed = false;
    size_t destroyMessages = 0;
    thread.Run([&] {
        destroyed = DestroyWindow(window);
        // Sent, not posted: already handled when DestroyWindow returns.
        destroyMessages = thread.Log.Only(WM_DESTROY).size();
    });
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(destroyMessages, 1u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(Desktop->Info(window));
    RECT r;
    EXPECT_FALSE(GetClientRect(window, &r));
    // The test window's procedure quits on WM_DESTROY.
    EXPECT_EQ(thread.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(UserWindowLifetime, OnlyTheOwningThreadMayDestroy) {
    WindowThread thread;
    EXPECT_FALSE(DestroyWindow(thread.Window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindow(thread.Window));
    EXPECT_TRUE(thread.Log.Only(WM_DESTROY).empty());
}

TEST_F(UserWindowLifetime, MessagesPostedBeforeDestructionAreDropped) {
    OnNewThread([&] {
        MessageLog log;
        PumpedLog = &log;
        HWND window = CreateTestWindow(RegisterLoggingClass());
        ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 0, 0));
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 0, 0));
        DestroyWindow(window);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        PumpedLog = nullptr;
    });
}

} // namespace
