// Looking at real windows on the X display a test runs under (Xvfb): finding
// a window by title and taking its pixels, through the standard X tools.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

struct Screenshot {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB, row by row

    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

bool HaveDisplay();

// The X id of the first window whose title is exactly title, or "" if none.
std::string FindWindow(const std::string& title);

// The window's own pixels (its client area: no window manager runs here);
// empty when the window cannot be read.
Screenshot CaptureWindow(const std::string& windowId);

// The size of the display's root window, or 0 × 0 when it cannot be read.
std::pair<int, int> ScreenSize();

// Output of a shell command, or "" when it fails.
std::string CommandOutput(const std::string& command);

} // namespace TestSupport
