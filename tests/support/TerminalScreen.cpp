#include "tests/support/TerminalScreen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace TestSupport {

void TerminalScreen::LineFeed() {
    if (Y + 1 < Height) {
        ++Y;
        return;
    }
    std::rotate(Rows.begin(), Rows.begin() + 1, Rows.end());
    Rows.back().assign(Width, ' ');
}

// The console's renderer never relies on the wrap after the last column, so
// the cursor simply stays there.
void TerminalScreen::Put(char c) {
    Rows[static_cast<std::size_t>(Y)][static_cast<std::size_t>(X)] = c;
    X = std::min(X + 1, Width - 1);
}

void TerminalScreen::Feed(std::string_view bytes) {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (InEscape) {
            Sequence += c;
            if (Sequence == "D")
                LineFeed();
            // A sequence ends at its final byte: the one after ESC when that is
            // not '[', else the first byte from '@' to '~' after the '['.
            if (Sequence[0] != '[' || (Sequence.size() > 1 && byte >= 0x40 && byte <= 0x7E)) {
                InEscape = false;
                if (c == 'H' && Sequence[0] == '[') {
                    const char* parameters = Sequence.c_str() + 1;
                    Y = std::clamp(std::atoi(parameters), 1, Height) - 1;
                    const char* column = std::strchr(parameters, ';');
                    X = column ? std::clamp(std::atoi(column + 1), 1, Width) - 1 : 0;
                } else if (c == 'C' && Sequence[0] == '[') {
                    X = std::min(X + std::max(std::atoi(Sequence.c_str() + 1), 1), Width - 1);
                }
            }
        } else if (Utf8Left > 0) {
            --Utf8Left;
        } else if (byte == 0x1B) {
            InEscape = true;
            Sequence.clear();
        } else if (c == '\r') {
            X = 0;
        } else if (c == '\n') {
            LineFeed();
        } else if (c == '\b') {
            X = std::max(0, X - 1);
        } else if (byte >= 0x20 && byte < 0x7F) {
            Put(c);
        } else if (byte >= 0xC0) {
            Utf8Left = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            Put('?');
        }
    }
}

} // namespace TestSupport
