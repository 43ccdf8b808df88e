// Turns the hand-drawn font text (graph/font/Cp437.txt) into the C++ source of
// Graph::DefaultFontData. The text is checked strictly, because a glyph with a
// missing row or a stray character would otherwise shift every later glyph and
// show up only as garbled text on the screen.
//
// Usage: fontgen <font text> <output .cpp>; with --stroked it makes the
// stroked fonts instead (StrokedFonts.cpp).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int GlyphCount = 256;
constexpr int CellSize = 8;

std::string InputPath;

[[noreturn]] void Fail(int line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: error: %s\n", InputPath.c_str(), line, message.c_str());
    std::exit(1);
}

std::string Hex(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The code in a header line ("0x41 'A'"), or -1 if the line is no header.
int HeaderCode(const std::string& line) {
    if (line.size() < 4 || line[0] != '0' || line[1] != 'x')
        return -1;
    const int high = HexDigit(line[2]);
    const int low = HexDigit(line[3]);
    if (high < 0 || low < 0 || (line.size() > 4 && line[4] != ' '))
        return -1;
    return high * 16 + low;
}

} // namespace

int StrokedFontsMain(int argc, char** argv);

// Writes a generated source file whole; the tool's exit code.
int WriteGeneratedSource(const char* path, const std::string& text) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output << text;
    output.close();
    if (!output) {
        std::fprintf(stderr, "%s: error: cannot write the generated source\n", path);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--stroked")
        return StrokedFontsMain(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontgen <font text> <output .cpp>\n"
                             "       fontgen --stroked <output .cpp> <stroked font text>...\n");
        return 2;
    }
    InputPath = argv[1];
    std::ifstream input(InputPath, std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "%s: error: cannot open the font text\n", InputPath.c_str());
        return 1;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(input, line);)
        lines.push_back(line);

    std::vector<unsigned char> pixels;
    pixels.reserve(GlyphCount * CellSize * CellSize);
    std::size_t index = 0;
    const int lineCount = static_cast<int>(lines.size());
    for (int code = 0; code < GlyphCount; ++code) {
        // Comments and blank lines may separate glyphs, nothing else may.
        while (index < lines.size() && (lines[index].empty() || lines[index][0] == ';'))
            ++index;
        if (index == lines.size())
            Fail(lineCount, "file ends before glyph " + Hex(code));
        const int headerLine = static_cast<int>(index) + 1;
        const int found = HeaderCode(lines[index]);
        if (found < 0)
            Fail(headerLine,
                 "expected the header of glyph " + Hex(code) + ", found \"" + lines[index] + "\"");
        if (found != code)
            Fail(headerLine, "expected glyph " + Hex(code) + ", found glyph " + Hex(found) +
                                 " (every code must appear exactly once, in order)");
        ++index;
        for (int row = 0; row < CellSize; ++row, ++index) {
            const int lineNumber = static_cast<int>(index) + 1;
            if (index == lines.size())
                Fail(lineCount, "file ends in glyph " + Hex(code) + " after " +
                                    std::to_string(row) + " of 8 rows");
            const std::string& text = lines[index];
            if (HeaderCode(text) >= 0 || text.empty())
                Fail(lineNumber,
                     "glyph " + Hex(code) + " has only " + std::to_string(row) + " of 8 rows");
            if (text.size() != CellSize)
                Fail(lineNumber, "glyph " + Hex(code) + " row " + std::to_string(row) + " has " +
                                     std::to_string(text.size()) + " characters, expected 8");
            for (std::size_t column = 0; column < text.size(); ++column) {
                if (text[column] != '#' && text[column] != '.')
                    Fail(lineNumber, "glyph " + Hex(code) + " row " + std::to_string(row) +
                                         " column " + std::to_string(column) +
                                         ": invalid character (use '#' for ink, '.' for "
                                         "background)");
                pixels.push_back(text[column] == '#' ? 1 : 0);
            }
        }
        if (index < lines.size() && !lines[index].empty())
            Fail(static_cast<int>(index) + 1,
                 "glyph " + Hex(code) + " has more than 8 rows (a blank line must follow)");
    }
    while (index < lines.size() && (lines[index].empty() || lines[index][0] == ';'))
        ++index;
    if (index < lines.size())
        Fail(static_cast<int>(index) + 1, "unexpected text after glyph 0xFF");

    // Built in memory first so that a failed run leaves no half-written source.
    std::ostringstream out;
    out << "// Generated by fontgen from graph/font/Cp437.txt: edit that file, not this one.\n"
        << "#include \"graph/DefaultFont.h\"\n\n"
        << "namespace Graph {\n\n"
        << "const std::uint8_t DefaultFontData[256 * 64] = {\n";
    for (int code = 0; code < GlyphCount; ++code) {
        out << "    // " << Hex(code) << "\n";
        for (int row = 0; row < CellSize; ++row) {
            out << "   ";
            for (int column = 0; column < CellSize; ++column)
                out << ' ' << int(pixels[(code * CellSize + row) * CellSize + column]) << ',';
            out << '\n';
        }
    }
    out << "};\n\n} // namespace Graph\n";

    return WriteGeneratedSource(argv[2], out.str());
}
