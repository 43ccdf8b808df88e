// The headless desktop acting as the user: the close box, covering and
// uncovering, keys, mouse buttons, resizing, and message boxes.
#include "UserTest.h"

#include <algorithm>
#include <mutex>

namespace {

using namespace UserTest;

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Blue = RGB(0, 0, 255);

WindowThread::Options SmallWindow() {
    WindowThread::Options options;
    options.X = 50;
    options.Y = 60;
    options.Width = 108;
    options.Height = 80 + 8 + 23;
    return options;
}

LPARAM KeyParam(DWORD bits) {
    return static_cast<LPARAM>(bits);
}

using HeadlessUserActions = UserFixture;

TEST_F(HeadlessUserActions, TheCloseBoxEndsInDestroyThroughTheDefaultProcedure) {
    WindowThread thread;
    HWND window = thread.Window;
    ASSERT_TRUE(Desktop->Close(window));
    EXPECT_EQ(thread.WaitForExit(), std::optional<DWORD>(0));
    auto ids = thread.Log.Ids();
    auto close = std::find(ids.begin(), ids.end(), static_cast<UINT>(WM_CLOSE));
    ASSERT_NE(close, ids.end());
    ASSERT_NE(close + 1, ids.end());
    EXPECT_EQ(*(close + 1), static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(Desktop->Windows().empty());
    EXPECT_FALSE(Desktop->Close(window));
}

TEST_F(HeadlessUserActions, UncoveringRepaintsTheUncoveredPartOnly) {
    std::mutex lock;
    std::vector<RECT> updates;
    WindowThread::Options options = SmallWindow();
    options.Background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    options.OnMessage = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_PAINT) {
            RECT r;
            GetUpdateRect(window, &r, FALSE);
            std::lock_guard guard(lock);
            updates.push_back(r);
        }
        return std::nullopt;
    };
    WindowThread thread(options);
    thread.Run([&] { UpdateWindow(thread.Window); });
    const RECT area{10, 15, 40, 35};
    ASSERT_TRUE(Desktop->Cover(thread.Window, area));
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 10, 15),
              WinApi::ColorRefFromPixel(WinApi::HeadlessDesktop::CoveringPixel));

    // Drawing through a window context leaves the covered part alone.
    HDC dc = GetDC(thread.Window);
    HBRUSH blue = CreateSolidBrush(Blue);
    RECT client{0, 0, 100, 80};
    FillRect(dc, &client, blue);
    DeleteObject(blue);
    ReleaseDC(thread.Window, dc);
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 39, 34),
              WinApi::ColorRefFromPixel(WinApi::HeadlessDesktop::CoveringPixel));
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 40, 34), Blue);

    size_t paintsBefore;
    {
        std::lock_guard guard(lock);
        paintsBefore = updates.size();
    }
    const size_t paintMessages = thread.Log.Only(WM_PAINT).size();
    ASSERT_TRUE(Desktop->Uncover(thread.Window, area));
    ASSERT_TRUE(thread.Log.WaitFor(WM_PAINT, paintMessages + 1));
    thread.Run([] {});
    {
        std::lock_guard guard(lock);
        ASSERT_EQ(updates.size(), paintsBefore + 1);
        EXPECT_TRUE(SameRect(updates.back(), area)) << Describe(updates.back());
    }
    // The default procedure erased the uncovered part with the class brush.
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 10, 15), White);
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 39, 34), White);
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 9, 15), Blue);
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 40, 34), Blue);
    EXPECT_FALSE(Desktop->Uncover(thread.Window, area));
}

TEST_F(HeadlessUserActions, AKeyPressArrivesAsKeyDownCharAndKeyUp) {
    WindowThread thread;
    ASSERT_TRUE(Desktop->PressKey(thread.Window, 'A', 0x1E, 'a'));
    ASSERT_TRUE(thread.Log.WaitFor(WM_KEYUP));
    std::vector<Message> keys;
    for (const Message& m : thread.Log.All())
        if (m.Id >= WM_KEYFIRST && m.Id <= WM_KEYLAST)
            keys.push_back(m);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].Id, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[0].WParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(keys[0].LParam, KeyParam(0x001E0001));
    EXPECT_EQ(keys[1].Id, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(keys[1].WParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(keys[1].LParam, KeyParam(0x001E0001));
    EXPECT_EQ(keys[2].Id, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(keys[2].WParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(keys[2].LParam, KeyParam(0xC01E0001));
}

TEST_F(HeadlessUserActions, AltMakesSystemKeysAndExtendedKeysAreMarked) {
    WindowThread thread;
    Desktop->PressKey(thread.Window, 'X', 0x2D, 'x', false, true);
    Desktop->PressKey(thread.Window, VK_LEFT, 0x4B, 0, true, false);
    ASSERT_TRUE(thread.Log.WaitFor(WM_KEYUP));
    auto sysDown = thread.Log.Only(WM_SYSKEYDOWN);
    auto sysChar = thread.Log.Only(WM_SYSCHAR);
    auto sysUp = thread.Log.Only(WM_SYSKEYUP);
    auto down = thread.Log.Only(WM_KEYDOWN);
    ASSERT_EQ(sysDown.size(), 1u);
    ASSERT_EQ(sysChar.size(), 1u);
    ASSERT_EQ(sysUp.size(), 1u);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(sysDown[0].LParam, KeyParam(0x202D0001));
    EXPECT_EQ(sysChar[0].WParam, static_cast<WPARAM>('x'));
    EXPECT_EQ(sysChar[0].LParam, KeyParam(0x202D0001));
    EXPECT_EQ(sysUp[0].LParam, KeyParam(0xE02D0001));
    EXPECT_EQ(down[0].WParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_EQ(down[0].LParam, KeyParam(0x014B0001));
    EXPECT_TRUE(thread.Log.Only(WM_CHAR).empty());
}

TEST_F(HeadlessUserActions, AHeldKeyRepeatsWithThePreviousStateBit) {
    WindowThread thread;
    Desktop->Key(thread.Window, true, VK_SPACE, 0x39);
    Desktop->Key(thread.Window, true, VK_SPACE, 0x39);
    Desktop->Key(thread.Window, false, VK_SPACE, 0x39);
    ASSERT_TRUE(thread.Log.WaitFor(WM_KEYUP));
    auto down = thread.Log.Only(WM_KEYDOWN);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].LParam, KeyParam(0x00390001));
    EXPECT_EQ(down[1].LParam, KeyParam(0x40390001));
}

TEST_F(HeadlessUserActions, MouseButtonsArriveWithTheirPositionAndKeys) {
    WindowThread thread;
    Desktop->MouseButton(thread.Window, 1, true, 10, 20, MK_LBUTTON);
    Desktop->MouseButton(thread.Window, 1, false, 11, 21);
    Desktop->MouseButton(thread.Window, 3, true, 300, 400, MK_RBUTTON | MK_SHIFT);
    Desktop->MouseButton(thread.Window, 2, false, 0, 479);
    ASSERT_TRUE(thread.Log.WaitFor(WM_MBUTTONUP));
    std::vector<Message> mouse;
    for (const Message& m : thread.Log.All())
        if (m.Id >= WM_LBUTTONDOWN && m.Id <= WM_MBUTTONDBLCLK)
            mouse.push_back(m);
    ASSERT_EQ(mouse.size(), 4u);
    EXPECT_EQ(mouse[0].Id, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(mouse[0].WParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(mouse[0].LParam, MAKELPARAM(10, 20));
    EXPECT_EQ(mouse[0].LParam, 0x0014000A);
    EXPECT_EQ(mouse[1].Id, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(mouse[1].LParam, MAKELPARAM(11, 21));
    EXPECT_EQ(mouse[2].Id, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(mouse[2].WParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(mouse[2].LParam, MAKELPARAM(300, 400));
    EXPECT_EQ(mouse[3].Id, static_cast<UINT>(WM_MBUTTONUP));
    EXPECT_EQ(mouse[3].LParam, MAKELPARAM(0, 479));
}

TEST_F(HeadlessUserActions, DoubleClicksReachOnlyClassesThatAskForThem) {
    WindowThread plain;
    WindowThread::Options options;
    options.ClassStyle |= CS_DBLCLKS;
    WindowThread asking(options);
    for (HWND window : {plain.Window, asking.Window}) {
        Desktop->MouseButton(window, 1, true, 5, 5, MK_LBUTTON, true);
        Desktop->MouseButton(window, 1, false, 5, 5);
    }
    ASSERT_TRUE(plain.Log.WaitFor(WM_LBUTTONUP));
    ASSERT_TRUE(asking.Log.WaitFor(WM_LBUTTONUP));
    EXPECT_EQ(plain.Log.Only(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_TRUE(plain.Log.Only(WM_LBUTTONDBLCLK).empty());
    EXPECT_EQ(asking.Log.Only(WM_LBUTTONDBLCLK).size(), 1u);
    EXPECT_TRUE(asking.Log.Only(WM_LBUTTONDOWN).empty());
}

TEST_F(HeadlessUserActions, ResizingSendsSizeAndRepaintsTheWholeClientArea) {
    std::mutex lock;
    RECT lastUpdate{};
    WindowThread::Options options = SmallWindow();
    options.OnMessage = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_PAINT) {
            std::lock_guard guard(lock);
            GetUpdateRect(window, &lastUpdate, FALSE);
        }
        return std::nullopt;
    };
    WindowThread thread(options);
    thread.Run([&] { UpdateWindow(thread.Window); });
    const size_t paints = thread.Log.Only(WM_PAINT).size();
    ASSERT_TRUE(Desktop->Resize(thread.Window, 200, 150));
    ASSERT_TRUE(thread.Log.WaitFor(WM_PAINT, paints + 1));
    thread.Run([] {});
    auto sizes = thread.Log.Only(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().WParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(sizes.back().LParam, MAKELPARAM(200, 150));
    RECT client;
    GetClientRect(thread.Window, &client);
    EXPECT_TRUE(SameRect(client, {0, 0, 200, 150})) << Describe(client);
    {
        std::lock_guard guard(lock);
        EXPECT_TRUE(SameRect(lastUpdate, {0, 0, 200, 150})) << Describe(lastUpdate);
    }
    EXPECT_EQ(Desktop->ClientPixels(thread.Window)->Width, 200);
    EXPECT_EQ(Desktop->Info(thread.Window)->Client.right -
                  Desktop->Info(thread.Window)->Client.left,
              200);
}

using HeadlessScreen = UserFixture;

TEST_F(HeadlessScreen, ListsWindowsInTheOrderTheyAppeared) {
    WindowThread first;
    WindowThread second;
    auto windows = Desktop->Windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0], first.Window);
    EXPECT_EQ(windows[1], second.Window);
    EXPECT_EQ(Desktop->ClientPixel(first.Window, 640, 0), static_cast<COLORREF>(CLR_INVALID));
}

TEST_F(HeadlessScreen, RecordsMessageBoxesWithTheDefaultCaption) {
    EXPECT_EQ(MessageBoxA(nullptr, "Window creation failed", nullptr, MB_OK), IDOK);
    Desktop->SetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Second", "Title", MB_OKCANCEL), IDCANCEL);
    auto boxes = Desktop->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Text, "Window creation failed");
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Owner, nullptr);
    EXPECT_EQ(boxes[1].Caption, "Title");
    EXPECT_EQ(boxes[1].Type, static_cast<UINT>(MB_OKCANCEL));
}

TEST_F(HeadlessScreen, WithoutADisplayAMessageBoxGoesToStandardError) {
    Desktop->SetAvailable(false);
    testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "Window registration failed", nullptr, MB_OK);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_NE(written.find("Window registration failed"), std::string::npos) << written;
    EXPECT_TRUE(Desktop->MessageBoxes().empty());
}

} // namespace
