// The 64-bit Windows programs under Wine, on the X display and Wine prefix
// that tests/windows/run-wine-tests.sh prepares: the plotter's picture and
// its end, the program without a console, the fault reports, the showcase
// against our layer's headless drawing of it, and the console's key records
// against the documented ones (which our terminal decoder gives).
#include "desktop/headless/HeadlessDesktop.h"
#include "examples/Showcase.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Eventually.h"
#include "tests/support/FaultRoutines.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/TerminalScreen.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// The 64-bit Windows build folder, named by the run script.
std::string Programs() {
    const char* folder = std::getenv("WINDOWS_PROGRAMS");
    return folder ? folder : "";
}

// Runs a program of the Windows build, given by its path in the build folder.
[[noreturn]] void ExecUnderWine(const std::string& program, const char* argument = nullptr) {
    ::execlp("wine", "wine", (Programs() + program).c_str(), argument, static_cast<char*>(nullptr));
    ::_exit(127);
}

// Whether the window's client area, cut at the screen's edges, comes to be
// right before the seconds are up. Wine's window reaches past the screen's
// edges, so the test looks at the screen at the window's position. Wine shows
// what another thread drew only once the window has handled a message, so the
// pointer moves over it before each look.
bool ComesRight(const std::string& window, int width, int height, int seconds,
                const std::function<bool(const TestSupport::Screenshot&)>& right) {
    const int left = TestSupport::WindowField(window, "Absolute upper-left X"),
              top = TestSupport::WindowField(window, "Absolute upper-left Y");
    if (left < 0 || top < 0) {
        ADD_FAILURE() << "the window is not on the screen";
        return false;
    }
    return TestSupport::Eventually(
        [&] {
            TestSupport::CommandOutput("xdotool mousemove 300 300 mousemove 400 400");
            const TestSupport::Screenshot screen = TestSupport::CaptureWindow("root");
            TestSupport::Screenshot area{
                std::min(width, screen.Width - left), std::min(height, screen.Height - top), {}};
            for (int y = 0; y < area.Height; ++y)
                for (int x = 0; x < area.Width; ++x)
                    area.Pixels.push_back(screen.At(left + x, top + y));
            return !area.Pixels.empty() && right(area);
        },
        seconds, 300ms);
}

// The showcase drawn in this process on a headless screen of the given size
// without a taskbar, as the X display has none: the back buffer, which holds
// the whole picture a window must come to show, images included.
WinApi::HeadlessDesktop::Pixels DrawShowcaseHeadless(int width, int height) {
    WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>(
        WinApi::ScreenInfo{width, height, {0, 0, width, height}}));
    Graph::BindDisplayDriver(Win32Gui::Driver);
    Graph::InitializeGraph();
    std::int16_t driver = 0, mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
    EXPECT_EQ(Graph::GraphResult, Graph::GraphOk);
    Showcase::DrawShowcase();
    WinApi::HeadlessDesktop::Pixels shown{Graph::GetMaxX() + 1, Graph::GetMaxY() + 1, {}};
    {
        Win32Gui::DrawingLock hold;
        for (int i = 0; i < shown.Width * shown.Height; ++i) {
            const COLORREF back = GetPixel(Win32Gui::BitmapDC, i % shown.Width, i / shown.Width);
            shown.Values.push_back(std::uint32_t{GetRValue(back)} << 16 |
                                   std::uint32_t{GetGValue(back)} << 8 | GetBValue(back));
        }
    }
    Graph::CloseGraph();
    Graph::GraphExitProc();
    return shown;
}

class Wine : public ::testing::Test {
protected:
    void SetUp() override {
        if (Programs().empty() || !TestSupport::HaveDisplay())
            GTEST_SKIP() << "run through tests/windows/run-wine-tests.sh";
    }
};

TEST_F(Wine, PlotterDrawsExactlyTheDiagramThenEndsOnEnter) {
    TestSupport::PtyProcess plotter([] { ExecUnderWine("/plotter/bifurcation.exe"); });
    const std::string window = TestSupport::FindWindow("Graph window application");
    ASSERT_FALSE(window.empty()) << "terminal: " << plotter.Output();
    EXPECT_TRUE(ComesRight(window, 1 << 16, 1 << 16, 120,
                           [](const TestSupport::Screenshot& area) {
                               return TestSupport::WrongDiagramPixels(area.Pixels, area.Width) == 0;
                           }))
        << "terminal: " << plotter.Output();
    plotter.Type("\r");
    EXPECT_EQ(plotter.Wait(60), 0) << "terminal: " << plotter.Output();
}

TEST_F(Wine, PlotterWithoutAConsoleSaysSoAndEndsWithCodeOne) {
    auto result = TestSupport::RunInChild(
        [] {
            ::setsid(); // no controlling terminal, hence no console
            ExecUnderWine("/plotter/bifurcation.exe");
        },
        "\n", 120);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_NE(result.StdErr.find("No way to get the console handle"), std::string::npos)
        << result.StdErr;
}

TEST_F(Wine, ShowcaseEqualsTheHeadlessDrawingWithWinesMetrics) {
    TestSupport::PtyProcess showcase([] { ExecUnderWine("/examples/showcase.exe"); });
    TestSupport::TerminalScreen screen;
    ASSERT_TRUE(TestSupport::Eventually(
        [&] {
            screen = TestSupport::TerminalScreen();
            screen.Feed(showcase.Output());
            return screen.Shows("Showcase drawn");
        },
        60, 200ms))
        << showcase.Output();
    const std::string window = TestSupport::FindWindow("Graph window application");
    ASSERT_FALSE(window.empty());
    // The showcase fills the driver's maximised mode, which takes its size
    // from SM_CXFULLSCREEN and SM_CYFULLSCREEN: the headless screen is
    // chosen so that our layer reports the same as Wine. Wine reports more
    // rows than its maximised window shows (1091 on a 1080-row screen with
    // a 19-row caption, where the documented value is 1061), so only the
    // rows on the screen are compared.
    auto metrics =
        TestSupport::RunInChild([] { ExecUnderWine("/tests/windows/metrics.exe"); }, "", 60);
    int fullWidth = 0, fullHeight = 0;
    ASSERT_EQ(std::sscanf(metrics.StdOut.c_str(), "%d %d", &fullWidth, &fullHeight), 2)
        << metrics.StdOut;
    const auto expected =
        DrawShowcaseHeadless(fullWidth, fullHeight + GetSystemMetrics(SM_CYCAPTION));
    ASSERT_EQ(std::pair(expected.Width, expected.Height), std::pair(fullWidth, fullHeight));
    // The comparison means something only if the picture is there.
    ASSERT_GT(std::count_if(expected.Values.begin(), expected.Values.end(),
                            [](std::uint32_t pixel) { return pixel != 0; }),
              std::ssize(expected.Values) / 20);
    EXPECT_TRUE(ComesRight(window, expected.Width, expected.Height, 30, [&](const auto& area) {
        for (int i = 0; i < area.Width * area.Height; ++i)
            if (area.Pixels[i] != expected.Values[i / area.Width * expected.Width + i % area.Width])
                return false;
        return true;
    }));
    showcase.Type("\r");
    EXPECT_EQ(showcase.Wait(60), 0) << showcase.Output();
}

// Keys typed on the console's terminal and the key-down records Wine gives
// for them, Ctrl and Shift as keys of their own: the records Windows
// documents, but where a comment says otherwise.
const std::pair<const char*, std::vector<std::string>> TypedKeys[] = {
    {"\x1b", {"1B 01 00 000"}},   // no character for Esc (documented: 1B)
    {"\x1b[A", {"26 48 00 000"}}, // no enhanced-key flag (documented: 100)
    {"A", {"10 2A 00 010", "41 1E 41 010"}},
    {"\x02", {"11 1D 00 008", "42 30 02 008"}},
    {"\x1b[Z", {"10 2A 00 010", "09 0F 09 010"}},
    {"\x1b[1;5C", {"11 1D 00 008", "27 4D 00 008"}}, // no enhanced-key flag (documented: 108)
    {"a", {"41 1E 61 000"}},
};

TEST_F(Wine, ConsoleGivesTheDocumentedKeyRecordsButForItsOwnDepartures) {
    TestSupport::PtyProcess console([] { ExecUnderWine("/tests/windows/keyrecords.exe"); });
    std::this_thread::sleep_for(3s); // Wine's console starts reading
    std::vector<std::string> expected;
    for (const auto& [bytes, records] : TypedKeys) {
        console.Type(bytes);
        // A lone Esc is told from a sequence by the pause after it.
        std::this_thread::sleep_for(400ms);
        expected.insert(expected.end(), records.begin(), records.end());
    }
    console.Type("\r");
    ASSERT_EQ(console.Wait(60), 0) << console.Output();
    TestSupport::TerminalScreen screen;
    screen.Feed(console.Output());
    std::vector<std::string> shown;
    for (int y = 0; y < 25; ++y)
        if (const std::string& row = screen.Row(y); row.find_first_not_of(' ') != std::string::npos)
            shown.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    EXPECT_EQ(shown, expected);
}

TEST_F(Wine, FaultsBecomeTheirRunTimeErrorsWithReportsOfRealFrames) {
    struct Fault {
        const char* Argument;
        int ExitCode;
        std::size_t MinimumFrames; // return addresses below the faulting one
    };
    static const Fault faults[] = {
        {"divide", 200, 2},     {"access", 216, 2},      {"x87", 200, 2},
        {"sse-divide", 200, 2}, {"sse-invalid", 207, 2}, {"round", 207, 3},
        {"overflow", 202, 0},   {"thread", 200, 1},      {"runerror", 201, 2},
    };
    for (const Fault& fault : faults) {
        auto result = TestSupport::RunInChild(
            [&] { ExecUnderWine("/tests/windows/faultprogram.exe", fault.Argument); }, "", 60);
        EXPECT_EQ(result.ExitCode, fault.ExitCode) << fault.Argument;
        const auto addresses = FaultTest::ReportedAddresses(result.StdOut, fault.ExitCode);
        EXPECT_GE(addresses.size(), 1 + fault.MinimumFrames) << fault.Argument;
        // Every return address lies in the program's image, above its base.
        for (std::size_t i = 1; i < addresses.size(); ++i)
            EXPECT_GE(std::stoul(addresses[i], nullptr, 16), 0x401000ul) << result.StdOut;
    }
    auto halted = TestSupport::RunInChild(
        [] { ExecUnderWine("/tests/windows/faultprogram.exe", "halt"); }, "", 60);
    EXPECT_EQ(halted.ExitCode, 3);
    EXPECT_EQ(halted.StdOut, "");
}

} // namespace
