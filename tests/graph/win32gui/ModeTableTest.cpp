// The modes the window driver offers for a screen, the mode detection picks,
// and the windows the modes open.
#include "tests/graph/win32gui/DriverFixture.h"

#include <algorithm>
#include <array>
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
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(modes[s.FixedModes + i]->ModeNumber, (std::array{0xF0, 0xF1, 0xF5, 0xF6}[i]));

    // Detection picks the maximised window of 256 colours, black at first.
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_EQ(std::pair(int{driver}, int{Graph::IntCurrentMode}), std::pair(15, 0xF6));
    ASSERT_EQ(Desktop->Windows(), std::vector<HWND>{Win32Gui::MainWindow});
    EXPECT_EQ(Desktop->Info(Win32Gui::MainWindow)->Title, "Graph window application");
    const auto pixels = Desktop->ClientPixels(Win32Gui::MainWindow).value().Values;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), std::ssize(pixels));
    Graph::CloseGraph();
    // The two maximised modes alone open a maximised window; each window's
    // client area is its mode's.
    for (const auto& [number, maximized, colors] : {std::tuple{0xF0, false, 16},
                                                    {0xF1, false, 256},
                                                    {0xF5, true, 16},
                                                    {0xF6, true, 256},
                                                    {0x101, false, 256}}) {
        Open(10, static_cast<std::int16_t>(number));
        if (number == 0x101 && s.FixedModes < 5) {
            EXPECT_EQ(Graph::GraphResult, Graph::GraphInvalidMode);
            continue;
        }
        ASSERT_EQ(Graph::GraphResult, Graph::GraphOk) << number;
        const auto window = Desktop->Info(Win32Gui::MainWindow).value();
        const auto [width, height] = number == 0x101 ? std::pair(640, 480)
                                     : maximized ? std::pair(s.MaximizedWidth, s.MaximizedHeight)
                                                 : std::pair(s.LargestWidth, s.LargestHeight);
        EXPECT_EQ(std::tuple(window.Maximized, Graph::GetMaxColor() + 1, Graph::GetMaxX() + 1,
                             Graph::GetMaxY() + 1, window.Client.right - window.Client.left,
                             window.Client.bottom - window.Client.top),
                  std::tuple(maximized, colors, width, height, width, height))
            << number;
        Graph::CloseGraph();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ModeTable,
    ::testing::Values(Screen{{1920, 1080, {0, 0, 1920, 1040}}, 11, 1912, 1049, 1920, 1017},
                      Screen{{640, 480, {0, 0, 640, 480}}, 0, 632, 449, 640, 457}),
    [](const auto& info) { return "Width" + std::to_string(info.param.Info.Width); });

} // namespace
