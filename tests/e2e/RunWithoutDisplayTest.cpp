// `make run` where no display can be reached: the run script puts the program
// on the headless desktop, on the user's terminal, and the window's last
// picture is saved when the window goes, however it goes. Each case checks
// the picture (or the error), and that nothing is left: no process of the
// run, no temporary file beside the picture.
#include "tests/support/Eventually.h"
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"
#include "tests/support/XWindows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <termios.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using TestSupport::PtyProcess;

enum class Ending { EnterAtOnce, InputFromDevNull, CtrlCAtThePrompt };

struct RunCase {
    const char* Name;
    Ending How;
    bool FolderExists;
    int ExitCode;
    const char* Display = nullptr; // DISPLAY, if set: one that nobody answers
};

class RunWithoutDisplay : public ::testing::TestWithParam<RunCase> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/run-without-display-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        Folder = pattern;
    }
    void TearDown() override { fs::remove_all(Folder); }

    fs::path Folder;
};

TEST_P(RunWithoutDisplay, SavesTheExactDiagramOrSaysWhyAndLeavesNothingBehind) {
    const RunCase& run = GetParam();
    const fs::path target = (run.FolderExists ? Folder : Folder / "missing") / "bifurcation.png";
    PtyProcess program([&] {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WINAPI_DESKTOP"})
            ::unsetenv(name);
        if (run.Display)
            ::setenv("DISPLAY", run.Display, 1);
        ::setenv("WINAPI_PICTURE", target.c_str(), 1);
        if (run.How == Ending::InputFromDevNull)
            ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::execl(RUN_SCRIPT_PATH, RUN_SCRIPT_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
    });
    if (run.How == Ending::EnterAtOnce)
        program.Type("\r");
    if (run.How == Ending::CtrlCAtThePrompt) {
        // Once the console has the terminal (echo off), a key typed while the
        // diagram is drawn is kept, and echoed when the program reads its
        // line: the picture is complete then.
        TestSupport::Eventually([&] { return !(program.Mode().c_lflag & ECHO); }, 120);
        program.Type("@");
        ASSERT_TRUE(program.WaitForOutput("@", 120));
        program.Type("\x03");
    }
    EXPECT_EQ(program.Wait(120), run.ExitCode) << program.Output();
    EXPECT_EQ(::kill(-program.Id(), 0), -1) << "a process of the run is left";

    std::vector<fs::path> left;
    for (const auto& entry : fs::recursive_directory_iterator(Folder))
        left.push_back(entry.path());
    if (!run.FolderExists) {
        EXPECT_TRUE(left.empty());
        EXPECT_NE(program.Output().find("Error: the picture could not be saved to " +
                                        target.string() + ": No such file or directory"),
                  std::string::npos)
            << program.Output();
        return;
    }
    ASSERT_EQ(left, std::vector<fs::path>{target}) << "only the picture is left";
    const TestSupport::Screenshot picture = TestSupport::ReadPicture(target);
    // The virtual screen is 1920 × 1080 with a 40-pixel taskbar; the
    // maximised window's client area loses the caption too.
    ASSERT_EQ(std::pair(picture.Width, picture.Height), std::pair(1920, 1080 - 40 - 23));
    EXPECT_EQ(TestSupport::WrongDiagramPixels(picture.Pixels, picture.Width), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunWithoutDisplay,
    ::testing::Values(RunCase{"EnterAtOnce", Ending::EnterAtOnce, true, 0},
                      RunCase{"InputFromDevNull", Ending::InputFromDevNull, true, 0},
                      RunCase{"CtrlCAtThePrompt", Ending::CtrlCAtThePrompt, true, 128 + SIGINT},
                      RunCase{"IntoAFolderThatCannotBeWritten", Ending::EnterAtOnce, false, 1},
                      RunCase{"WithAStaleDisplay", Ending::EnterAtOnce, true, 0, ":4711"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
