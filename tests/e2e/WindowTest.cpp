// The real program in a real window on an X display (Xvfb in CI), on a
// pseudo-terminal: the picture it leaves, and its end on Enter.
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <utility>

namespace {

using namespace std::chrono_literals;
using TestSupport::PtyProcess;

constexpr std::uint32_t PlotWhite = 0xFCFCFC; // palette entry 15
constexpr int CaptionHeight = 23;

std::string WaitForWindow(const std::string& title, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string id = TestSupport::FindWindow(title);
        if (!id.empty())
            return id;
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

TEST(ProgramInAWindow, DrawsExactlyTheDiagramThenEndsOnEnter) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    std::set<std::pair<int, int>> expected;
    for (const auto& point : TestSupport::ReferenceDiagram<long double>())
        expected.insert({point.X, point.Y});

    PtyProcess program(BIFURCATION_PATH, {"SDL_VIDEODRIVER=x11"});
    ASSERT_TRUE(program.Started());
    std::string window = WaitForWindow("Graph window application", 60s);
    ASSERT_FALSE(window.empty()) << "no graph window appeared; terminal: " << program.Output();

    // Without a window manager the maximised window gets the whole screen
    // width and the screen height less the caption as its client area.
    auto [screenWidth, screenHeight] = TestSupport::ScreenSize();
    TestSupport::Screenshot shot;
    auto deadline = std::chrono::steady_clock::now() + 120s;
    for (;;) {
        shot = TestSupport::CaptureWindow(window);
        size_t plotted = 0;
        if (!shot.Pixels.empty())
            for (auto [x, y] : expected)
                plotted += x < shot.Width && y < shot.Height && shot.At(x, y) == PlotWhite;
        if (plotted == expected.size() || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(500ms);
    }
    ASSERT_EQ(shot.Width, screenWidth);
    ASSERT_EQ(shot.Height, screenHeight - CaptionHeight);

    size_t wrong = 0;
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x) {
            std::uint32_t want = expected.count({x, y}) ? PlotWhite : 0;
            if (shot.At(x, y) != want && wrong++ < 10)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << shot.At(x, y)
                              << ", expected " << want;
        }
    EXPECT_EQ(wrong, 0u);

    program.Type("\r");
    EXPECT_EQ(program.Wait(30), 0) << "terminal: " << program.Output();
}

} // namespace
