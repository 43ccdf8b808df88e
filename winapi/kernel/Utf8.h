// UTF-8 for the layer's text that leaves the process: window titles and
// message boxes on the desktop, glyphs on the terminal. The layer's
// characters all come from the Basic Multilingual Plane, so a code point
// takes at most three bytes.
#pragma once

#include <cstdint>
#include <string>

namespace WinApi {

inline void AppendUtf8(std::string& out, std::uint32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

} // namespace WinApi
