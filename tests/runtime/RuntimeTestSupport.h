// Helpers shared by the runtime's tests that run the program's lifecycle in a
// child process and read what it wrote on its standard output.
#pragma once

#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace RuntimeTest {

// One line on StdOut, written out at once by the line end.
inline void Say(std::string_view text) {
    Runtime::WriteLn(Runtime::StdOut, text);
}

// The lines of a text whose lines end in CR LF; a last line without its end
// is kept as it is.
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace RuntimeTest
