// The 64-bit Windows programs under Wine, on the X display and Wine prefix
// that tests/windows/run-wine-tests.sh prepares: the plotter's picture and
// its end, the program without a console, and the fault reports.
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <chrono>
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

struct POINT {
    int x;
    int y;
};

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

bool OnScreen(const TestSupport::Screenshot& shot, POINT origin, int x, int y) {
    return origin.x + x >= 0 && origin.y + y >= 0 && origin.x + x < shot.Width &&
           origin.y + y < shot.Height;
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
    const std::string program = Programs() + "/plotter/bifurcation.exe";
    TestSupport::PtyProcess plotter([&] { ExecUnderWine(program); });
    ASSERT_TRUE(plotter.Started());
    std::string window;
    for (auto limit = std::chrono::steady_clock::now() + 60s;
         window.empty() && std::chrono::steady_clock::now() < limit;
         std::this_thread::sleep_for(200ms))
        window = TestSupport::FindWindow("Graph window application");
    ASSERT_FALSE(window.empty()) << "terminal: " << plotter.Output();

    // Wine's window reaches past the screen's edges, so the test looks at
    // the screen and finds the client area at the window's position. Wine
    // shows what another thread drew only once the window has handled a
    // message, so the pointer moves over it before each look.
    const POINT origin = WindowOrigin(window);
    const std::string root = XField(TestSupport::CommandOutput("xwininfo -root"), "Window id: ");
    TestSupport::Screenshot shot;
    std::size_t plotted = 0;
    for (auto limit = std::chrono::steady_clock::now() + 120s;
         plotted < expected.size() && std::chrono::steady_clock::now() < limit;
         std::this_thread::sleep_for(500ms)) {
        TestSupport::CommandOutput("xdotool mousemove 300 300 mousemove 400 400");
        shot = TestSupport::CaptureWindow(root);
        plotted = 0;
        for (auto [x, y] : expected)
            plotted +=
                OnScreen(shot, origin, x, y) && shot.At(origin.x + x, origin.y + y) == PlotWhite;
    }
    ASSERT_EQ(plotted, expected.size()) << "window " << window << " at " << origin.x << ", "
                                        << origin.y << "; terminal: " << plotter.Output();
    std::size_t wrong = 0;
    for (int y = 0; y < shot.Height - origin.y; ++y)
        for (int x = 0; x < shot.Width - origin.x; ++x) {
            const std::uint32_t want = expected.count({x, y}) ? PlotWhite : 0;
            const std::uint32_t got = shot.At(origin.x + x, origin.y + y);
            if (got != want && wrong++ < 10)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got;
        }
    EXPECT_EQ(wrong, 0u);
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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line
                                                            : line.substr(0, line.size() - 1));
    return lines;
}

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
        std::vector<std::string> lines = Lines(result.StdOut);
        if (fault.MinimumFrames < 0) {
            EXPECT_EQ(result.StdOut, "");
            continue;
        }
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
