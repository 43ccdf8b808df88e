// What a terminal shows for the bytes a program wrote to it: a small model of
// an 80 x 25 VT screen that knows characters, CR, LF, BS, cursor positioning
// (ESC [ row ; col H), cursor forward (ESC [ n C) and index (ESC D), and
// ignores colours and modes.
// Tests look at its rows, so that they check what the user sees rather than
// the sequences used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace TestSupport {

class TerminalScreen {
public:
    // Interprets more output; a sequence split across calls is completed by
    // the next call.
    void Feed(std::string_view bytes);

    // Row y: printable ASCII as itself, any other character as '?'.
    const std::string& Row(int y) const { return Rows[static_cast<std::size_t>(y)]; }
    // Whether any row shows text.
    bool Shows(std::string_view text) const {
        for (const std::string& row : Rows)
            if (row.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    void Put(char c);
    void LineFeed();

    static constexpr int Width = 80;
    static constexpr int Height = 25;
    std::vector<std::string> Rows = std::vector<std::string>(Height, std::string(Width, ' '));
    int X = 0;
    int Y = 0;
    bool InEscape = false;
    std::string Sequence; // what followed the ESC so far
    int Utf8Left = 0;
};

} // namespace TestSupport
