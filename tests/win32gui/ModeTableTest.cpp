// The modes the window driver offers for a screen, and the mode detection
// picks.
#include "tests/win32gui/DriverFixture.h"

#include <string>
#include <vector>

namespace {

using DriverFixture::WindowDriverTest;

struct Registered {
    int Driver;
    int Mode;
    std::string Name;
    int MaxX;
    int MaxY;
    int Colors;
};

std::vector<Registered> RegisteredModes() {
    std::vector<Registered> modes;
    for (Graph::TModeInfo* record = Graph::ModeList; record; record = record->Next)
        modes.push_back({record->DriverNumber, record->ModeNumber,
                         std::string(record->ModeName.View()), record->MaxX, record->MaxY,
                         record->MaxColor});
    return modes;
}

class SmallScreen : public WindowDriverTest {
    WinApi::ScreenInfo ScreenFor() override { return {1024, 768, {0, 0, 1024, 728}}; }
};

TEST_F(SmallScreen, OffersTheFixedModesThatFitWithFrameAndCaption) {
    // W = 1024 − 2·4 = 1016, H = 768 − 2·4 − 23 = 737: 1024 × 768 does not
    // fit, 800 × 600 does.
    std::vector<Registered> modes = RegisteredModes();
    ASSERT_EQ(modes.size(), 11u);
    const int expectedNumbers[] = {2, 0, 1, 0x100, 0x101, 0x102, 0x103, 0xF0, 0xF1, 0xF5, 0xF6};
    for (size_t i = 0; i < modes.size(); ++i)
        EXPECT_EQ(modes[i].Mode, expectedNumbers[i]) << "registration " << i;
    EXPECT_EQ(modes[0].Driver, 9);
    EXPECT_EQ(modes[3].Driver, 10);
    // The largest-window modes take the whole framed area; the maximised ones
    // the work area less the caption.
    EXPECT_EQ(modes[7].MaxX, 1015);
    EXPECT_EQ(modes[7].MaxY, 736);
    EXPECT_EQ(modes[10].MaxX, 1023);
    EXPECT_EQ(modes[10].MaxY, 728 - 23 - 1);
    // Names are cut to 18 characters when stored.
    EXPECT_EQ(modes[0].Name, "640 x 480 x 16 Win");
    EXPECT_EQ(modes[10].Name, "Maximized Window x");
    for (const Registered& mode : modes)
        EXPECT_TRUE(mode.Colors == 16 || mode.Colors == 256);
}

class TinyScreen : public WindowDriverTest {
    WinApi::ScreenInfo ScreenFor() override { return {640, 480, {0, 0, 640, 480}}; }
};

TEST_F(TinyScreen, OffersOnlyTheFourWindowModes) {
    std::vector<Registered> modes = RegisteredModes();
    ASSERT_EQ(modes.size(), 4u);
    EXPECT_EQ(modes[0].Mode, 0xF0);
    EXPECT_EQ(modes[3].Mode, 0xF6);
    std::int16_t driver = 15, mode = 30009; // 640 × 480 is not offered
    Graph::InitGraph(driver, mode, "");
    EXPECT_EQ(Graph::GraphResult, Graph::GraphInvalidMode);
}

TEST_F(WindowDriverTest, DetectionOpensTheMaximisedWindowOfTheWorkArea) {
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    EXPECT_EQ(driver, 15);
    Graph::InitGraph(driver, mode, "");
    ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_EQ(Graph::IntCurrentMode, 0xF6);
    EXPECT_EQ(Graph::GetMaxX(), 1919);
    EXPECT_EQ(Graph::GetMaxY(), 1016);
    std::vector<HWND> windows = Desktop->Windows();
    ASSERT_EQ(windows.size(), 1u);
    auto info = Desktop->Info(windows[0]);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->Title, "Graph window application");
    // The new window starts black.
    auto pixels = Desktop->ClientPixels(windows[0]);
    ASSERT_TRUE(pixels.has_value());
    for (std::uint32_t value : pixels->Values)
        ASSERT_EQ(value, 0u);
}

// Of the window modes that take the screen's measures, the two maximised
// ones alone open a maximised window; each window's client area is its mode's.
TEST_F(WindowDriverTest, ExactlyTheMaximisedModesOpenMaximisedWindows) {
    const struct {
        std::int16_t Mode;
        bool Maximized;
    } rows[] = {{0xF0, false}, {0xF1, false}, {0xF5, true}, {0xF6, true}, {0x101, false}};
    for (const auto& row : rows) {
        Open(10, row.Mode);
        ASSERT_EQ(Graph::GraphResult, Graph::GraphOk) << row.Mode;
        auto info = Desktop->Info(Win32Gui::MainWindow);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->Maximized, row.Maximized) << row.Mode;
        EXPECT_EQ(info->Client.right - info->Client.left, Graph::GetMaxX() + 1) << row.Mode;
        EXPECT_EQ(info->Client.bottom - info->Client.top, Graph::GetMaxY() + 1) << row.Mode;
        Graph::CloseGraph();
    }
}

// A later mode keeps the window the first one made.
TEST_F(WindowDriverTest, FixedModeWindowIsSizedForItsClientAreaAndSettingAModeKeepsIt) {
    Open(15, 30009); // 640 × 480 × 256
    ASSERT_EQ(Graph::GraphResult, Graph::GraphOk);
    auto info = Desktop->Info(Win32Gui::MainWindow);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->Outer.right - info->Outer.left, 640 + 2 * 4);
    EXPECT_EQ(info->Outer.bottom - info->Outer.top, 480 + 2 * 4 + 23);
    const HWND first = Win32Gui::MainWindow;
    Graph::SetGraphMode(30010); // 800 × 600
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    EXPECT_EQ(Desktop->Windows(), std::vector<HWND>{first});
    EXPECT_EQ(Win32Gui::MainWindow, first);
}

} // namespace
