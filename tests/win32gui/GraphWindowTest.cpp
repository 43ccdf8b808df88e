// The graph window's life: the start-up handshake and its failures, repaint
// from the back buffer, closing by the user and by CloseGraph, hooks.
#include "tests/win32gui/DriverFixture.h"

#include <atomic>

namespace {

using namespace DriverFixture;

TEST_F(WindowDriverTest, RefusedClassRegistrationFailsTheModeWithAMessageBox) {
    Desktop->SetAllowClassRegistration(false);
    OpenDetected();
    EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
    EXPECT_FALSE(Graph::IsGraphMode);
    EXPECT_FALSE(Win32Gui::GraphRunning);
    EXPECT_FALSE(Win32Gui::MessageThreadHandleValid);
    EXPECT_EQ(Graph::PutPixel, Graph::PutPixelDefault); // back to the defaults
    auto boxes = Desktop->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Window registration failed");
    EXPECT_EQ(boxes[0].Owner, nullptr);
    EXPECT_EQ(boxes[0].Type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(Desktop->Windows().empty());
}

TEST_F(WindowDriverTest, RefusedWindowFailsTheModeWithAMessageBox) {
    Desktop->SetAcceptWindows(false);
    OpenDetected();
    EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
    EXPECT_FALSE(Graph::IsGraphMode);
    auto boxes = Desktop->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Window creation failed");
    // A later attempt, with the desktop willing again, succeeds.
    Desktop->SetAcceptWindows(true);
    Graph::GraphResult = Graph::GraphOk;
    OpenDetected();
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_TRUE(Win32Gui::GraphRunning);
}

TEST_F(WindowDriverTest, CoveredPartComesBackWithWhatWasDrawnMeanwhile) {
    Open(15, 30009);
    Graph::PutPixel(10, 10, 15);
    ASSERT_TRUE(Desktop->Cover(Win32Gui::MainWindow, {0, 0, 100, 100}));
    EXPECT_EQ(OnScreen(10, 10), static_cast<COLORREF>(0xC0C0C0));
    Graph::PutPixel(20, 20, 1); // drawn while covered: the back buffer keeps it
    Graph::PutPixel(200, 200, 15);
    EXPECT_NE(OnScreen(20, 20), Blue);
    EXPECT_EQ(OnScreen(200, 200), White);
    ASSERT_TRUE(Desktop->Uncover(Win32Gui::MainWindow, {0, 0, 100, 100}));
    EXPECT_TRUE(Eventually([&] { return OnScreen(20, 20) == Blue; }));
    EXPECT_EQ(OnScreen(10, 10), White);
    EXPECT_EQ(OnScreen(50, 50), Black);
    EXPECT_EQ(OnScreen(99, 99), Black);
}

TEST_F(WindowDriverTest, DrawingAfterTheUserClosedTheWindowDoesNothing) {
    OpenDetected();
    std::atomic<bool> closed{false};
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Desktop->Close(Win32Gui::MainWindow);
        closed = true;
    });
    // The program keeps drawing while the user closes the window.
    for (int round = 0; !closed || round < 3; ++round)
        for (std::int16_t x = 0; x < 500; ++x)
            Graph::PutPixel(x, static_cast<std::int16_t>(round % 500), 15);
    user.join();
    EXPECT_TRUE(Eventually([] { return !Win32Gui::GraphRunning; }));
    Graph::PutPixel(1, 1, 15);
    Graph::Line(0, 0, 100, 50);
    EXPECT_TRUE(Graph::IsGraphMode); // the kernel still counts graphics as on
    std::int16_t red = -5, green = -5, blue = -5;
    Graph::GraphResult = Graph::GraphOk;
    Graph::GetRGBPalette(1, red, green, blue);
    EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
    EXPECT_EQ(red, -5);
    EXPECT_TRUE(Desktop->Windows().empty());
    // CloseGraph finds no window and only releases the thread and the lock.
    Graph::CloseGraph();
    EXPECT_FALSE(Graph::IsGraphMode);
    EXPECT_FALSE(Win32Gui::MessageThreadHandleValid);
}

TEST_F(WindowDriverTest, CloseGraphEndsTheWindowAndASecondCallOnlyReports) {
    OpenDetected();
    HANDLE thread = Win32Gui::MessageThreadHandle;
    ASSERT_NE(thread, nullptr);
    Graph::CloseGraph();
    EXPECT_FALSE(Win32Gui::GraphRunning);
    EXPECT_TRUE(Desktop->Windows().empty());
    EXPECT_FALSE(Win32Gui::MessageThreadHandleValid);
    Graph::GraphResult = Graph::GraphOk;
    Graph::CloseGraph();
    EXPECT_EQ(Graph::GraphResult, Graph::GraphNoInit);
}

TEST_F(WindowDriverTest, SecondInitGraphAfterCloseGraphRegistersNoSecondClass) {
    OpenDetected();
    Graph::CloseGraph();
    // A second registration would now fail the mode.
    Desktop->SetAllowClassRegistration(false);
    OpenDetected();
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_TRUE(Win32Gui::GraphRunning);
    EXPECT_EQ(Desktop->Windows().size(), 1u);
}

std::atomic<int> KeyMessages{0};
std::atomic<int> MouseMessages{0};

LRESULT CALLBACK CountKeys(HWND, UINT message, WPARAM, LPARAM) {
    if (message >= WM_KEYDOWN && message <= WM_SYSCHAR)
        ++KeyMessages;
    return 0;
}

LRESULT CALLBACK CountMouse(HWND, UINT message, WPARAM, LPARAM) {
    if (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK)
        ++MouseMessages;
    return 0;
}

TEST_F(WindowDriverTest, KeysAndButtonsGoToTheHooks) {
    OpenDetected();
    KeyMessages = 0;
    MouseMessages = 0;
    Graph::CharMessageHandler = CountKeys;
    Graph::MouseMessageHandler = CountMouse;
    Desktop->PressKey(Win32Gui::MainWindow, 'A', 0x1E, 'a'); // down, char, up
    Desktop->MouseButton(Win32Gui::MainWindow, 3, true, 5, 5);
    Desktop->MouseButton(Win32Gui::MainWindow, 3, false, 5, 5);
    EXPECT_TRUE(Eventually([] { return KeyMessages == 3 && MouseMessages == 2; }));
    EXPECT_TRUE(Win32Gui::GraphRunning);
}

TEST_F(WindowDriverTest, KeysAndButtonsWithoutHooksAreConsumed) {
    OpenDetected();
    // Default processing would, for instance, close the window on Alt+F4.
    EXPECT_EQ(Win32Gui::WindowProc(Win32Gui::MainWindow, WM_SYSKEYDOWN, VK_F4, 0x203E0001), 0);
    EXPECT_EQ(Win32Gui::WindowProc(Win32Gui::MainWindow, WM_RBUTTONDBLCLK, 0, 0), 0);
    EXPECT_TRUE(Win32Gui::GraphRunning);
}

} // namespace
