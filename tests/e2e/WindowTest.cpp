// The real program in a real window on an X display (Xvfb in CI), on a
// pseudo-terminal: the picture it leaves, and its end on Enter.
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
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

// The root window's depth: 24 unless the display was started otherwise.
int ScreenDepth() {
    const std::string info = TestSupport::CommandOutput("xwininfo -root");
    const size_t at = info.find("Depth: ");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 7);
}

TEST(ProgramInAWindow, DrawsExactlyTheDiagramThenEndsOnEnter) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    // A 16-bit display keeps 5 or 6 bits of a channel, and the capture
    // widens them again its own way; deeper displays keep every colour.
    const int tolerance = ScreenDepth() < 24 ? 8 : 0;

    PtyProcess program(BIFURCATION_PATH, {"SDL_VIDEODRIVER=x11"});
    ASSERT_TRUE(program.Started());
    std::string window = WaitForWindow("Graph window application", 60s);
    ASSERT_FALSE(window.empty()) << "no graph window appeared; terminal: " << program.Output();

    // Without a window manager the maximised window gets the whole screen
    // width and the screen height less the caption as its client area.
    auto [screenWidth, screenHeight] = TestSupport::ScreenSize();
    TestSupport::Screenshot shot;
    size_t wrong = 0;
    auto deadline = std::chrono::steady_clock::now() + 120s;
    do {
        std::this_thread::sleep_for(500ms);
        shot = TestSupport::CaptureWindow(window);
        wrong = shot.Pixels.empty() ? 1
                                    : TestSupport::WrongDiagramPixels(shot.Pixels, shot.Width,
                                                                      PlotWhite, tolerance);
    } while (wrong != 0 && std::chrono::steady_clock::now() < deadline);
    ASSERT_EQ(shot.Width, screenWidth);
    ASSERT_EQ(shot.Height, screenHeight - CaptionHeight);
    EXPECT_EQ(wrong, 0u) << "at depth " << ScreenDepth();

    program.Type("\r");
    EXPECT_EQ(program.Wait(30), 0) << "terminal: " << program.Output();
}

} // namespace
