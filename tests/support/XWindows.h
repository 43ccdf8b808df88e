// Looking at real windows on the X display a test runs under (Xvfb): finding
// a window by title and taking its pixels, through the standard X tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// A picture: a window's pixels, or a picture file's.
struct Screenshot {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB, row by row

    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

bool HaveDisplay();

// The X id of the first window whose title is exactly title, once there is
// one, or "" if none comes within a minute.
std::string FindWindow(const std::string& title);

// The window's own pixels (its client area: no window manager runs here), or
// the whole screen's for "root"; empty when the window cannot be read.
Screenshot CaptureWindow(const std::string& windowId);

// A PNG file's pixels; empty when it cannot be read.
Screenshot ReadPicture(const std::string& path);

// A number xwininfo gives for the window, or the root window for "root"
// ("Width", "Depth", "Absolute upper-left X"), or -1 when it cannot be read.
int WindowField(const std::string& windowId, const std::string& name);

// Output of a shell command, or "" when it fails.
std::string CommandOutput(const std::string& command);

} // namespace TestSupport
