// The 64-bit Windows programs under Wine, on the X display and Wine prefix
// that tests/windows/run-wine-tests.sh prepares: the plotter's picture and
// its end, the program without a console, the fault reports, the showcase
// against our layer's headless drawing of it, and the console's key records
// against the documented ones (which our terminal decoder gives).
#include "tests/support/ChildProcess.h"
#include "tests/support/Eventually.h"
#include "tests/support/HeadlessShowcase.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/TerminalScreen.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t PlotWhite = 0xFCFCFC; // palette entry 15

// The 64-bit Windows build folder, named by the run script.
std::string Programs() {
    const char* folder = std::getenv("WINDOWS_PROGRAMS");
    return folder ? folder : "";
}

[[noreturn]] void ExecUnderWine(const std::string& program, const std::string& argument = {}) {
    if (argument.empty())
        ::execlp("wine", "wine", program.c_str(), static_cast<char*>(nullptr));
    else
        ::execlp("wine", "wine", program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
}

// The text after name in xwininfo's output, up to the end of its line.
std::string XField(const std::string& text, const std::string& name) {
    const std::size_t at = text.find(name);
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + name.size();
    const std::size_t end = text.find_first_of(" \n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

POINT WindowOrigin(const std::string& window) {
    const std::string info = TestSupport::CommandOutput("xwininfo -id " + window);
    return {std::atoi(XField(info, "Absolute upper-left X:  ").c_str()),
            std::atoi(XField(info, "Absolute upper-left Y:  ").c_str())};
}

// The graph window's X id, once it appears, or "".
std::string FindGraphWindow() {
    std::string window;
    TestSupport::Eventually(
        [&] { return !(window = TestSupport::FindWindow("Graph window application")).empty(); }, 60,
        200ms);
    return window;
}

// How many client pixels, up to width x height and the screen's edges, differ
// from want(x, y) once they stop changing or the seconds are up; the first ten
// are reported. Wine's window reaches past the screen's edges, so the test
// looks at the screen and finds the client area at the window's position.
// Wine shows what another thread drew only once the window has handled a
// message, so the pointer moves over it before each look.
template <typename Want>
std::size_t WrongPixels(const std::string& window, int width, int height, int seconds, Want want) {
    const POINT origin = WindowOrigin(window);
    width = std::min(width, TestSupport::RootWindowField("Width") - origin.x);
    height = std::min(height, TestSupport::RootWindowField("Height") - origin.y);
    const std::string root = XField(TestSupport::CommandOutput("xwininfo -root"), "Window id: ");
    auto wrongAt = [&](const TestSupport::Screenshot& shot, int x, int y) {
        return origin.x + x < 0 || origin.y + y < 0 || origin.x + x >= shot.Width ||
               origin.y + y >= shot.Height || shot.At(origin.x + x, origin.y + y) != want(x, y);
    };
    TestSupport::Screenshot shot;
    std::size_t wrong = 0;
    TestSupport::Eventually(
        [&] {
            TestSupport::CommandOutput("xdotool mousemove 300 300 mousemove 400 400");
            shot = TestSupport::CaptureWindow(root);
            wrong = 0;
            for (int i = 0; i < width * height; ++i)
                wrong += wrongAt(shot, i % width, i / width);
            return wrong == 0;
        },
        seconds, 300ms);
    for (int i = 0, reported = 0; i < width * height && reported < 10; ++i)
        if (wrongAt(shot, i % width, i / width) && ++reported)
            ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << ") wrong, window at "
                          << origin.x << ", " << origin.y;
    return wrong;
}

class Wine : public ::testing::Test {
protected:
    void SetUp() override {
        if (Programs().empty() || !TestSupport::HaveDisplay())
            GTEST_SKIP() << "run through tests/windows/run-wine-tests.sh";
    }
};

TEST_F(Wine, PlotterDrawsExactlyTheDiagramThenEndsOnEnter) {
    std::set<std::pair<int, int>> expected;
    for (const auto& point : TestSupport::ReferenceDiagram<long double>())
        expected.insert({point.X, point.Y});
    TestSupport::PtyProcess plotter(
        [&] { ExecUnderWine(Programs() + "/plotter/bifurcation.exe"); });
    const std::string window = FindGraphWindow();
    ASSERT_FALSE(window.empty()) << "terminal: " << plotter.Output();
    EXPECT_EQ(WrongPixels(window, 1 << 16, 1 << 16, 120,
                          [&](int x, int y) {
                              return expected.count({x, y}) ? PlotWhite : 0;
                          }),
              0u)
        << "terminal: " << plotter.Output();
    plotter.Type("\r");
    EXPECT_EQ(plotter.Wait(60), 0) << "terminal: " << plotter.Output();
}

TEST_F(Wine, PlotterWithoutAConsoleSaysSoAndEndsWithCodeOne) {
    const std::string program = Programs() + "/plotter/bifurcation.exe";
    auto result = TestSupport::RunInChild(
        [&] {
            ::setsid(); // no controlling terminal, hence no console
            ExecUnderWine(program);
        },
        "\n", 120);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_NE(result.StdErr.find("No way to get the console handle"), std::string::npos)
        << result.StdErr;
}

TEST_F(Wine, ShowcaseEqualsTheHeadlessDrawingWithWinesMetrics) {
    TestSupport::PtyProcess showcase([&] { ExecUnderWine(Programs() + "/examples/showcase.exe"); });
    TestSupport::TerminalScreen screen;
    ASSERT_TRUE(TestSupport::Eventually(
        [&] {
            screen = TestSupport::TerminalScreen();
            screen.Feed(showcase.Output());
            return screen.Shows("Showcase drawn");
        },
        60, 200ms))
        << showcase.Output();
    const std::string window = FindGraphWindow();
    ASSERT_FALSE(window.empty());
    // The showcase fills the driver's maximised mode, which takes its size
    // from SM_CXFULLSCREEN and SM_CYFULLSCREEN: the headless screen is
    // chosen so that our layer reports the same as Wine. Wine reports more
    // rows than its maximised window shows (1091 on a 1080-row screen with
    // a 19-row caption, where the documented value is 1061), so only the
    // rows on the screen are compared.
    auto metrics = TestSupport::RunInChild(
        [&] { ExecUnderWine(Programs() + "/tests/windows/metrics.exe"); }, "", 60);
    int fullWidth = 0, fullHeight = 0;
    ASSERT_EQ(std::sscanf(metrics.StdOut.c_str(), "%d %d", &fullWidth, &fullHeight), 2)
        << metrics.StdOut;
    const auto expected =
        TestSupport::DrawShowcaseHeadless(fullWidth, fullHeight + GetSystemMetrics(SM_CYCAPTION));
    ASSERT_EQ(std::pair(expected.Width, expected.Height), std::pair(fullWidth, fullHeight));
    // The comparison means something only if the picture is there.
    ASSERT_GT(std::count_if(expected.Values.begin(), expected.Values.end(),
                            [](std::uint32_t pixel) { return pixel != 0; }),
              std::ssize(expected.Values) / 20);
    EXPECT_EQ(
        WrongPixels(window, expected.Width, expected.Height, 30,
                    [&](int x, int y) {
                        return expected.Values[static_cast<std::size_t>(y) * expected.Width + x];
                    }),
        0u);
    showcase.Type("\r");
    EXPECT_EQ(showcase.Wait(60), 0) << showcase.Output();
}

// Keys typed on the console's terminal and the key-down records Windows
// documents for them, Ctrl and Shift as keys of their own; where Wine gives
// something else, what it gives.
struct TypedKey {
    const char* Bytes;
    std::vector<std::string> Documented;
    std::vector<std::string> Wine; // empty when Wine gives the documented records
};

const TypedKey TypedKeys[] = {
    {"\x1b", {"1B 01 1B 000"}, {"1B 01 00 000"}},   // Wine: no character for Esc
    {"\x1b[A", {"26 48 00 100"}, {"26 48 00 000"}}, // Wine: no enhanced-key flag
    {"A", {"10 2A 00 010", "41 1E 41 010"}, {}},
    {"\x02", {"11 1D 00 008", "42 30 02 008"}, {}},
    {"\x1b[Z", {"10 2A 00 010", "09 0F 09 010"}, {}},
    {"\x1b[1;5C", {"11 1D 00 008", "27 4D 00 108"}, {"11 1D 00 008", "27 4D 00 008"}},
    {"a", {"41 1E 61 000"}, {}},
};

TEST_F(Wine, ConsoleGivesTheDocumentedKeyRecordsButForItsOwnDepartures) {
    const std::string program = Programs() + "/tests/windows/keyrecords.exe";
    TestSupport::PtyProcess console([&] { ExecUnderWine(program); });
    ASSERT_TRUE(console.Started());
    std::this_thread::sleep_for(3s); // Wine's console starts reading
    std::vector<std::string> expected;
    for (const TypedKey& typed : TypedKeys) {
        console.Type(typed.Bytes);
        // A lone Esc is told from a sequence by the pause after it.
        std::this_thread::sleep_for(400ms);
        const auto& wine = typed.Wine.empty() ? typed.Documented : typed.Wine;
        expected.insert(expected.end(), wine.begin(), wine.end());
    }
    console.Type("\r");
    ASSERT_EQ(console.Wait(60), 0) << console.Output();
    TestSupport::TerminalScreen screen;
    screen.Feed(console.Output());
    std::vector<std::string> shown;
    for (int y = 0; y < 25; ++y) {
        std::string row = screen.Row(y);
        row.erase(row.find_last_not_of(' ') + 1);
        if (!row.empty())
            shown.push_back(row);
    }
    EXPECT_EQ(shown, expected);
}

// A return address as the report gives it: "  0x" and eight hex digits.
bool IsAddressLine(const std::string& line) {
    return line.size() == 12 && line.rfind("  0x", 0) == 0 &&
           line.find_first_not_of("0123456789ABCDEF", 4) == std::string::npos;
}

TEST_F(Wine, FaultsBecomeTheirRunTimeErrorsWithReportsOfRealFrames) {
    struct Fault {
        const char* Argument;
        int ExitCode;
        int MinimumFrames; // return addresses below the faulting one
    };
    static const Fault faults[] = {
        {"divide", 200, 2},      {"access", 216, 2}, {"x87", 200, 2},      {"sse-divide", 200, 2},
        {"sse-invalid", 207, 2}, {"round", 207, 3},  {"overflow", 202, 0}, {"thread", 200, 1},
        {"runerror", 201, 2},    {"halt", 3, -1},
    };
    const std::string program = Programs() + "/tests/windows/faultprogram.exe";
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.Argument);
        auto result =
            TestSupport::RunInChild([&] { ExecUnderWine(program, fault.Argument); }, "", 60);
        EXPECT_EQ(result.ExitCode, fault.ExitCode);
        if (fault.MinimumFrames < 0) {
            EXPECT_EQ(result.StdOut, "");
            continue;
        }
        std::vector<std::string> lines;
        std::istringstream stream(result.StdOut);
        for (std::string line; std::getline(stream, line);)
            lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
        ASSERT_GE(lines.size(), 3u) << result.StdOut;
        const std::string heading = "Runtime error " + std::to_string(fault.ExitCode) + " at 0x";
        ASSERT_EQ(lines[0].rfind(heading, 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], "  0x" + lines[0].substr(heading.size()));
        EXPECT_EQ(lines.back(), "");
        for (std::size_t i = 1; i + 1 < lines.size(); ++i)
            EXPECT_TRUE(IsAddressLine(lines[i])) << lines[i];
        // Every return address lies in the program's image, above its base.
        for (std::size_t i = 2; i + 1 < lines.size(); ++i)
            EXPECT_GE(std::stoul(lines[i].substr(4), nullptr, 16), 0x401000ul) << lines[i];
        EXPECT_GE(static_cast<int>(lines.size()) - 3, fault.MinimumFrames) << result.StdOut;
    }
}

} // namespace
