// `make run` where no display can be reached: the run script puts the program
// on the headless desktop, on the user's terminal, and the window's last
// picture is saved when the window goes, however it goes. Each case checks
// the picture (or the error), and that nothing is left: no process of the
// run, no temporary file beside the picture.
#include "tests/support/PtyProcess.h"
#include "tests/support/ReferenceDiagram.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <png.h>
#include <termios.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using TestSupport::PtyProcess;

constexpr std::uint32_t PlotWhite = 0xFCFCFC; // palette entry 15
constexpr int SigIntStatus = 128 + SIGINT;

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

// The picture as 0x00RRGGBB pixels, or none when it cannot be read.
std::vector<std::uint32_t> ReadPicture(const fs::path& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::uint32_t> pixels(rgb.size() / 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return pixels;
}

TEST_P(RunWithoutDisplay, SavesTheExactDiagramOrSaysWhyAndLeavesNothingBehind) {
    const RunCase& run = GetParam();
    const fs::path target = (run.FolderExists ? Folder : Folder / "missing") / "bifurcation.png";
    PtyProcess program([&] {
        ::unsetenv("DISPLAY");
        if (run.Display)
            ::setenv("DISPLAY", run.Display, 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("WINAPI_DESKTOP");
        ::setenv("WINAPI_PICTURE", target.c_str(), 1);
        if (run.How == Ending::InputFromDevNull)
            ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::execl(RUN_SCRIPT_PATH, RUN_SCRIPT_PATH, BIFURCATION_PATH, static_cast<char*>(nullptr));
    });
    ASSERT_TRUE(program.Started());
    if (run.How == Ending::EnterAtOnce)
        program.Type("\r");
    if (run.How == Ending::CtrlCAtThePrompt) {
        // Once the console has the terminal (echo off), a key typed while the
        // diagram is drawn is kept, and echoed when the program reads its
        // line: the picture is complete then.
        for (int tries = 0; tries < 1200 && (program.Mode().c_lflag & ECHO); ++tries)
            ::usleep(100000);
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
    int width = 0, height = 0;
    auto pixels = ReadPicture(target, width, height);
    // The virtual screen is 1920 × 1080 with a 40-pixel taskbar; the
    // maximised window's client area loses the caption too.
    ASSERT_EQ(std::pair(width, height), std::pair(1920, 1080 - 40 - 23));
    EXPECT_EQ(TestSupport::WrongDiagramPixels(pixels, width, PlotWhite), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunWithoutDisplay,
    ::testing::Values(RunCase{"EnterAtOnce", Ending::EnterAtOnce, true, 0},
                      RunCase{"InputFromDevNull", Ending::InputFromDevNull, true, 0},
                      RunCase{"CtrlCAtThePrompt", Ending::CtrlCAtThePrompt, true, SigIntStatus},
                      RunCase{"IntoAFolderThatCannotBeWritten", Ending::EnterAtOnce, false, 1},
                      RunCase{"WithAStaleDisplay", Ending::EnterAtOnce, true, 0, ":4711"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
