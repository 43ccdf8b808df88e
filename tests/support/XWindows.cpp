#include "tests/support/XWindows.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace TestSupport {

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 65536> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), got);
    if (::pclose(pipe) != 0)
        return {};
    return output;
}

std::string FindWindow(const std::string& title) {
    std::string ids = CommandOutput("xdotool search --name '^" + title + "$' 2>/dev/null");
    std::istringstream lines(ids);
    std::string first;
    lines >> first;
    return first;
}

Screenshot CaptureWindow(const std::string& windowId) {
    Screenshot shot;
    std::string geometry = CommandOutput("xwininfo -id " + windowId + " 2>/dev/null");
    auto field = [&](const std::string& name) {
        size_t at = geometry.find(name);
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + name.size());
    };
    int width = field("Width: ");
    int height = field("Height: ");
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
