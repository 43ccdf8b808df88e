// The 64-bit Windows programs under Wine, on the X display and Wine prefix
// that tests/windows/run-wine-tests.sh prepares: the plotter's picture and
// its end, the program without a console, the fault reports, the showcase
// against our layer's headless drawing of it, and the console's key records
// against the documented ones (which our terminal decoder gives).
#include "console/tty/KeyDecoder.h"
#include "tests/support/ChildProcess.h"
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
#include <cstring>
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

TEST_F(Wine, ShowcaseEqualsTheHeadlessDrawingWithWinesMetrics) {
    const std::string program = Programs() + "/examples/showcase.exe";
    TestSupport::PtyProcess showcase([&] { ExecUnderWine(program); });
    ASSERT_TRUE(showcase.Started());
    TestSupport::TerminalScreen screen;
    for (auto limit = std::chrono::steady_clock::now() + 60s;
         !screen.Shows("Showcase drawn") && std::chrono::steady_clock::now() < limit;
         std::this_thread::sleep_for(200ms)) {
        screen = TestSupport::TerminalScreen();
        screen.Feed(showcase.Output());
    }
    ASSERT_TRUE(screen.Shows("Showcase drawn")) << showcase.Output();
    const std::string window = TestSupport::FindWindow("Graph window application");
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
    const POINT origin = WindowOrigin(window);
    const auto expected =
        TestSupport::DrawShowcaseHeadless(fullWidth, fullHeight + GetSystemMetrics(SM_CYCAPTION));
    ASSERT_EQ(expected.Width, fullWidth);
    ASSERT_EQ(expected.Height, fullHeight);
    // The comparison means something only if the picture is there.
    const auto lit = std::count_if(expected.Values.begin(), expected.Values.end(),
                                   [](std::uint32_t pixel) { return pixel != 0; });
    ASSERT_GT(static_cast<std::size_t>(lit), expected.Values.size() / 20);
    const int screenWidth = TestSupport::RootWindowField("Width");
    const int screenHeight = TestSupport::RootWindowField("Height");
    const int width = std::min(expected.Width, screenWidth - origin.x);
    const int height = std::min(expected.Height, screenHeight - origin.y);

    const std::string root = XField(TestSupport::CommandOutput("xwininfo -root"), "Window id: ");
    std::size_t wrong = 0;
    TestSupport::Screenshot shot;
    for (auto limit = std::chrono::steady_clock::now() + 30s;; std::this_thread::sleep_for(300ms)) {
        TestSupport::CommandOutput("xdotool mousemove 300 300 mousemove 400 400");
        shot = TestSupport::CaptureWindow(root);
        wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                wrong += !OnScreen(shot, origin, x, y) ||
                         shot.At(origin.x + x, origin.y + y) !=
                             expected.Values[static_cast<std::size_t>(y) * expected.Width + x];
        if (wrong == 0 || std::chrono::steady_clock::now() > limit)
            break;
    }
    int reported = 0;
    for (int y = 0; y < height && reported < 10; ++y)
        for (int x = 0; x < width && reported < 10; ++x) {
            const std::uint32_t want =
                expected.Values[static_cast<std::size_t>(y) * expected.Width + x];
            if (OnScreen(shot, origin, x, y) && shot.At(origin.x + x, origin.y + y) != want &&
                ++reported)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << shot.At(origin.x + x, origin.y + y) << " under Wine, " << want
                              << " on the headless desktop";
        }
    EXPECT_EQ(wrong, 0u);
    showcase.Type("\r");
    EXPECT_EQ(showcase.Wait(60), 0) << showcase.Output();
}

// Key-down records as "vk scan char state" in hex, as keyrecords.exe prints
// them.
std::string KeyDown(const KEY_EVENT_RECORD& key) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X %02X %02X %03lX", key.wVirtualKeyCode,
                  key.wVirtualScanCode, static_cast<unsigned char>(key.uChar.AsciiChar),
                  static_cast<unsigned long>(key.dwControlKeyState));
    return text;
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

TEST(ConsoleKeys, OurTerminalDecoderGivesTheDocumentedRecords) {
    for (const TypedKey& typed : TypedKeys) {
        WinApi::KeyDecoder decoder;
        decoder.Feed(typed.Bytes, std::strlen(typed.Bytes));
        decoder.Timeout();
        std::vector<std::string> downs;
        for (INPUT_RECORD record; decoder.Next(record);)
            if (record.Event.KeyEvent.bKeyDown)
                downs.push_back(KeyDown(record.Event.KeyEvent));
        EXPECT_EQ(downs, typed.Documented) << "key " << (&typed - TypedKeys);
    }
}

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
