// The graph window's life: the start-up handshake and its failures, closing
// by the user.
#include "tests/graph/win32gui/DriverFixture.h"

#include <atomic>

namespace {

using namespace DriverFixture;

// Either refusal fails the mode with its message box and leaves the default
// table; a later attempt, with the desktop willing again, succeeds.
TEST_F(WindowDriverTest, RefusedClassOrWindowFailsTheModeWithAMessageBox) {
    for (bool classRefused : {true, false}) {
        Desktop->SetAllowClassRegistration(!classRefused);
        Desktop->SetAcceptWindows(classRefused);
        Open(Graph::DetectDriver, 0);
        EXPECT_EQ(Graph::GraphResult, Graph::GraphError);
        EXPECT_FALSE(Graph::IsGraphMode || Win32Gui::GraphRunning ||
                     Win32Gui::MessageThreadHandleValid || !Desktop->Windows().empty());
        EXPECT_EQ(Graph::PutPixel, Graph::PutPixelDefault);
        const auto box = Desktop->MessageBoxes().back();
        EXPECT_EQ(box.Text, classRefused ? "Window registration failed" : "Window creation failed");
    }
    Desktop->SetAcceptWindows(true);
    EXPECT_EQ(Desktop->MessageBoxes().size(), 2u);
    Open(Graph::DetectDriver, 0);
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_TRUE(Win32Gui::GraphRunning);
}

TEST_F(WindowDriverTest, DrawingAfterTheUserClosedTheWindowDoesNothing) {
    Open(Graph::DetectDriver, 0);
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
    // The kernel still counts graphics as on.
    EXPECT_TRUE(Graph::IsGraphMode && Desktop->Windows().empty());
    // CloseGraph finds no window and only releases the thread and the lock.
    Graph::CloseGraph();
    EXPECT_FALSE(Graph::IsGraphMode || Win32Gui::MessageThreadHandleValid);
}

} // namespace
