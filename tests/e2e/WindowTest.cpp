// The real program in a real window on an X display (Xvfb in CI), on a
// pseudo-terminal: the picture it leaves, and its end on Enter.
#include "tests/support/Eventually.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using TestSupport::Eventually;

TEST(ProgramInAWindow, DrawsExactlyTheDiagramThenEndsOnEnter) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    // A 16-bit display keeps 5 or 6 bits of a channel, and the capture
    // widens them again its own way; deeper displays keep every colour.
    const int depth = TestSupport::RootWindowField("Depth");
    const int tolerance = depth < 24 ? 8 : 0;

    TestSupport::PtyProcess program([] {
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        ::execl(BIFURCATION_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
    });
    const std::string window = TestSupport::FindWindow("Graph window application");
    ASSERT_FALSE(window.empty()) << "no graph window appeared; terminal: " << program.Output();

    // Without a window manager the maximised window gets the whole screen
    // width and the screen height less the caption as its client area.
    TestSupport::Screenshot shot;
    size_t wrong = 0;
    Eventually(
        [&] {
            shot = TestSupport::CaptureWindow(window);
            wrong = shot.Pixels.empty()
                        ? 1
                        : TestSupport::WrongDiagramPixels(shot.Pixels, shot.Width, tolerance);
            return wrong == 0;
        },
        120, std::chrono::milliseconds(500));
    ASSERT_EQ(shot.Width, TestSupport::RootWindowField("Width"));
    ASSERT_EQ(shot.Height, TestSupport::RootWindowField("Height") - 23);
    EXPECT_EQ(wrong, 0u) << "at depth " << depth;

    program.Type("\r");
    EXPECT_EQ(program.Wait(30), 0) << "terminal: " << program.Output();
}

} // namespace
