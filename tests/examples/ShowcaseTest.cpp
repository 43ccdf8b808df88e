// The showcase in a real window on an X display (Xvfb) against the same
// picture drawn on the headless desktop: the window driver, the layer's GDI
// and the SDL desktop together must put every pixel where the headless
// desktop's surfaces have it.
#include "tests/support/HeadlessShowcase.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/TerminalScreen.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whether the terminal shows the text anywhere.
bool TerminalShows(const std::string& output, const std::string& text) {
    TestSupport::TerminalScreen screen;
    screen.Feed(output);
    return screen.Shows(text);
}

TEST(ShowcaseInAWindow, EqualsTheHeadlessDrawingPixelForPixel) {
    if (!TestSupport::HaveDisplay())
        GTEST_SKIP() << "needs an X display";
    auto [screenWidth, screenHeight] = TestSupport::ScreenSize();
    ASSERT_GT(screenWidth, 0);
    WinApi::HeadlessDesktop::Pixels expected =
        TestSupport::DrawShowcaseHeadless(screenWidth, screenHeight);
    ASSERT_GT(expected.Width, 0);
    // The comparison means something only if the picture is there: panels,
    // text, patterns and the palette light a good part of the screen.
    std::size_t lit = 0;
    for (std::uint32_t pixel : expected.Values)
        lit += pixel != 0;
    ASSERT_GT(lit, expected.Values.size() / 20);

    TestSupport::PtyProcess program(SHOWCASE_PATH, {"SDL_VIDEODRIVER=x11"});
    ASSERT_TRUE(program.Started());
    std::string window;
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline &&
           !TerminalShows(program.Output(), "Showcase drawn"))
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(TerminalShows(program.Output(), "Showcase drawn")) << program.Output();
    while (std::chrono::steady_clock::now() < deadline &&
           (window = TestSupport::FindWindow("Graph window application")).empty())
        std::this_thread::sleep_for(100ms);
    ASSERT_FALSE(window.empty()) << "no graph window appeared; terminal: " << program.Output();

    // The desktop presents at its own pace: take pictures until one matches
    // or the time is up, then report the differences of the last.
    TestSupport::Screenshot shot;
    std::size_t wrong = 0;
    deadline = std::chrono::steady_clock::now() + 30s;
    do {
        std::this_thread::sleep_for(300ms);
        shot = TestSupport::CaptureWindow(window);
        if (shot.Width != expected.Width || shot.Height != expected.Height)
            continue;
        wrong = 0;
        for (std::size_t i = 0; i < shot.Pixels.size(); ++i)
            wrong += shot.Pixels[i] != expected.Values[i];
    } while ((shot.Width != expected.Width || wrong != 0) &&
             std::chrono::steady_clock::now() < deadline);
    ASSERT_EQ(shot.Width, expected.Width);
    ASSERT_EQ(shot.Height, expected.Height);
    int reported = 0;
    for (int y = 0; y < shot.Height && reported < 10; ++y)
        for (int x = 0; x < shot.Width && reported < 10; ++x)
            if (shot.At(x, y) != expected.Values[static_cast<size_t>(y) * expected.Width + x]) {
                ++reported;
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << shot.At(x, y)
                              << " in the window, "
                              << expected.Values[static_cast<size_t>(y) * expected.Width + x]
                              << " on the headless desktop";
            }
    EXPECT_EQ(wrong, 0u);

    program.Type("\r");
    EXPECT_EQ(program.Wait(30), 0) << program.Output();
}

} // namespace
