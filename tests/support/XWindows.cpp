#include "tests/support/XWindows.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Eventually.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/mman.h>

namespace TestSupport {

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

std::string CommandOutput(const std::string& command) {
    // Through a file, not a pipe: SDL forks to show a message box, and a child
    // forked while the command runs would hold the pipe open until it ends.
    const int file = ::memfd_create("output", 0);
    const int status =
        std::system(("{ " + command + "; } > /dev/fd/" + std::to_string(file)).c_str());
    std::string output = Contents(file);
    return status == 0 ? output : std::string();
}

std::string FindWindow(const std::string& title) {
    std::string first;
    Eventually(
        [&] {
            std::istringstream(
                CommandOutput("xdotool search --name '^" + title + "$' 2>/dev/null")) >>
                first;
            return !first.empty();
        },
        60, std::chrono::milliseconds(200));
    return first;
}

namespace {

// The picture a command writes in the given format, as ImageMagick reads it.
Screenshot Convert(const std::string& command, const std::string& format) {
    const std::string ppm = CommandOutput(command + " 2>/dev/null | convert " + format +
                                          ":- -strip -depth 8 ppm:- 2>/dev/null");
    Screenshot shot;
    int maximum = 0, header = 0;
    std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &shot.Width, &shot.Height, &maximum, &header);
    const size_t count = static_cast<size_t>(shot.Width) * static_cast<size_t>(shot.Height);
    if (header == 0 || maximum != 255 || ppm.size() != static_cast<size_t>(header) + 1 + 3 * count)
        return {};
    const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.data()) + header + 1;
    for (size_t i = 0; i < count; ++i, rgb += 3)
        shot.Pixels.push_back(std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2]);
    return shot;
}

} // namespace

Screenshot CaptureWindow(const std::string& windowId) {
    return Convert("xwd -silent " + (windowId == "root" ? "-root" : "-id " + windowId), "xwd");
}

Screenshot ReadPicture(const std::string& path) {
    return Convert("cat '" + path + "'", "png");
}

int WindowField(const std::string& windowId, const std::string& name) {
    const std::string info = CommandOutput(
        "xwininfo " + (windowId == "root" ? "-root" : "-id " + windowId) + " 2>/dev/null");
    const size_t at = info.find(name + ": ");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + name.size() + 2);
}

} // namespace TestSupport
