// The modes the window driver offers for a screen, the mode detection picks,
// and the windows the modes open.
#include "tests/graph/win32gui/DriverFixture.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

using DriverFixture::WindowDriverTest;

// The largest framed window's client area is the screen less two 4-pixel
// frames across, and two frames and a 23-pixel caption down; the maximised
// one's is the work area less the caption.
struct Screen {
    WinApi::ScreenInfo Info;
    size_t FixedModes; // of the eleven, those that fit the largest window
    int LargestWidth, LargestHeight, MaximizedWidth, MaximizedHeight;
};

class ModeTable : public WindowDriverTest, public ::testing::WithParamInterface<Screen> {
    WinApi::ScreenInfo ScreenFor() override { return GetParam().Info; }
};

TEST_P(ModeTable, OffersTheFixedModesThatFitThenFourWindowModesThatOpenTheirWindows) {
    const Screen& s = GetParam();
    std::vector<Graph::TModeInfo*> modes;
    for (Graph::TModeInfo* record = Graph::ModeList; record; record = record->Next)
        modes.push_back(record);
    ASSERT_EQ(modes.size(), s.FixedModes + 4);
    EXPECT_EQ(std::string(modes.back()->ModeName.View()), "Maximized Window x");
    const std::tuple<int, int, int, int, int> windowModes[] = {
        {10, 0xF0, 16, s.LargestWidth, s.LargestHeight},
        {10, 0xF1, 256, s.LargestWidth, s.LargestHeight},
        {10, 0xF5, 16, s.MaximizedWidth, s.MaximizedHeight},
        {10, 0xF6, 256, s.MaximizedWidth, s.MaximizedHeight}};
    for (size_t i = 0; i < 4; ++i) {
        const Graph::TModeInfo& m = *modes[s.FixedModes + i];
        EXPECT_EQ(std::tuple(int{m.DriverNumber}, int{m.ModeNumber}, int{m.MaxColor}, m.MaxX + 1,
                             m.MaxY + 1),
                  windowModes[i]);
    }

    // Detection picks the maximised window of 256 colours, black at first.
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    EXPECT_EQ(driver, 15);
    Graph::InitGraph(driver, mode, "");
    ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_EQ(Graph::IntCurrentMode, 0xF6);
    ASSERT_EQ(Desktop->Windows(), std::vector<HWND>{Win32Gui::MainWindow});
    EXPECT_EQ(Desktop->Info(Win32Gui::MainWindow)->Title, "Graph window application");
    const auto pixels = Desktop->ClientPixels(Win32Gui::MainWindow).value().Values;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), std::ssize(pixels));
    Graph::CloseGraph();
    // The two maximised modes alone open a maximised window; each window's
    // client area is its mode's.
    for (const auto& [number, maximized] :
         {std::pair{0xF0, false}, {0xF1, false}, {0xF5, true}, {0xF6, true}, {0x101, false}}) {
        Open(10, static_cast<std::int16_t>(number));
        if (number == 0x101 && s.FixedModes < 5) {
            EXPECT_EQ(Graph::GraphResult, Graph::GraphInvalidMode);
            continue;
        }
        ASSERT_EQ(Graph::GraphResult, Graph::GraphOk) << number;
        const RECT client = Desktop->Info(Win32Gui::MainWindow).value().Client;
        EXPECT_EQ(Desktop->Info(Win32Gui::MainWindow)->Maximized, maximized) << number;
        EXPECT_EQ(client.right - client.left, Graph::GetMaxX() + 1) << number;
        EXPECT_EQ(client.bottom - client.top, Graph::GetMaxY() + 1) << number;
        Graph::CloseGraph();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ModeTable,
    ::testing::Values(Screen{{1920, 1080, {0, 0, 1920, 1040}}, 11, 1912, 1049, 1920, 1017},
                      Screen{{640, 480, {0, 0, 640, 480}}, 0, 632, 449, 640, 457}),
    [](const auto& info) { return "Width" + std::to_string(info.param.Info.Width); });

} // namespace
