#include "tests/support/XWindows.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <unistd.h>

namespace TestSupport {

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

std::string CommandOutput(const std::string& command) {
    // Through a file, not a pipe: SDL forks to show a message box, and a child
    // forked while the command runs would hold the pipe open until it ends.
    char path[] = "/tmp/CommandOutput.XXXXXX";
    int descriptor = ::mkstemp(path);
    if (descriptor < 0)
        return {};
    ::close(descriptor);
    std::string output;
    int status = std::system(("{ " + command + "; } > " + path).c_str());
    if (FILE* file = std::fopen(path, "rb")) {
        std::array<char, 65536> buffer;
        size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            output.append(buffer.data(), got);
        std::fclose(file);
    }
    std::remove(path);
    return status == 0 ? output : std::string();
}

std::string FindWindow(const std::string& title) {
    std::string ids = CommandOutput("xdotool search --name '^" + title + "$' 2>/dev/null");
    std::istringstream lines(ids);
    std::string first;
    lines >> first;
    return first;
}

namespace {

// The width and height that xwininfo reports for the window it is given.
std::pair<int, int> Size(const std::string& window) {
    const std::string info = CommandOutput("xwininfo " + window + " 2>/dev/null");
    auto field = [&](const char* name) {
        size_t at = info.find(name);
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + std::strlen(name));
    };
    return {field("Width: "), field("Height: ")};
}

} // namespace

std::pair<int, int> ScreenSize() {
    return Size("-root");
}

Screenshot CaptureWindow(const std::string& windowId) {
    Screenshot shot;
    const auto [width, height] = Size("-id " + windowId);
    if (width <= 0 || height <= 0)
        return shot;
    std::string rgb = CommandOutput("xwd -silent -id " + windowId +
                                    " 2>/dev/null | convert xwd:- -depth 8 rgb:- 2>/dev/null");
    if (rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return shot;
    shot.Width = width;
    shot.Height = height;
    shot.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (size_t i = 0; i < shot.Pixels.size(); ++i) {
        auto byte = [&](size_t k) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(rgb[3 * i + k]));
        };
        shot.Pixels[i] = byte(0) << 16 | byte(1) << 8 | byte(2);
    }
    return shot;
}

} // namespace TestSupport
