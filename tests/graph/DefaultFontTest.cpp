// The built-in font table generated from graph/font/Cp437.txt, and the font
// tool's refusal of malformed font texts.
#include "graph/DefaultFont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

bool Ink(int code, int row, int column) {
    return Graph::DefaultFontData[code * 64 + row * 8 + column] != 0;
}

// Ink in the rectangle of rows [row0, row1] and columns [column0, column1].
int InkIn(int code, int row0, int row1, int column0 = 0, int column1 = 7) {
    int count = 0;
    for (int row = row0; row <= row1; ++row)
        for (int column = column0; column <= column1; ++column)
            count += Ink(code, row, column);
    return count;
}

// Letters and digits leave the last row and column blank for spacing; the
// descenders reach the last row.
TEST(DefaultFontTest, BlankCodesBlankAsciiInkedSpacingKeptDescendersLow) {
    for (int code : {0, 32, 255})
        EXPECT_EQ(InkIn(code, 0, 7), 0) << code;
    for (int code = 33; code < 127; ++code)
        EXPECT_GT(InkIn(code, 0, 7), 0) << code;
    EXPECT_EQ(InkIn(219, 0, 7), 64);
    for (unsigned char code : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        EXPECT_EQ(InkIn(code, 7, 7) + InkIn(code, 0, 7, 7, 7), 0) << code;
    for (unsigned char code : std::string("gjpqy"))
        EXPECT_GT(InkIn(code, 7, 7), 0) << code;
}

// Arms of 179..218 as up, down, left, right: 0 none, 1 single, 2 double. An arm
// must reach its edge on the centre line (column/row 3, or 2 and 4 for double
// lines); an edge without an arm stays blank so the glyph joins no neighbour.
TEST(DefaultFontTest, LineDrawingReachesTheEdgesItConnects) {
    const char* arms[40] = {"1100", "1110", "1120", "2210", "0210", "0120", "2220", "2200",
                            "0220", "2020", "2010", "1020", "0110", "1001", "1011", "0111",
                            "1101", "0011", "1111", "1102", "2201", "2002", "0202", "2022",
                            "0222", "2202", "0022", "2222", "1022", "2011", "0122", "0211",
                            "2001", "1002", "0102", "0201", "2211", "1122", "1010", "0101"};
    for (int code = 179; code <= 218; ++code)
        for (int side = 0, edge = 0; side < 4; ++side, edge = 7 - edge)
            for (int along = 0, kind = arms[code - 179][side] - '0'; along < 8; ++along)
                EXPECT_EQ(side < 2 ? Ink(code, edge, along) : Ink(code, along, edge),
                          (kind == 1 && along == 3) || (kind == 2 && (along == 2 || along == 4)))
                    << code << " side " << side << " at " << along;
}

// Runs the font tool on the text, as a bitmap font text or a stroked one;
// its exit status and what it wrote to the error stream.
std::pair<int, std::string> RunFontTool(bool stroked, const std::string& text) {
    // Named after the process so that parallel test runs do not share files.
    const std::string base = ::testing::TempDir() + "fontgen" + std::to_string(getpid());
    std::ofstream(base + ".txt") << text;
    const std::string files = stroked ? " --stroked " + base + ".cpp " + base + ".txt"
                                      : " " + base + ".txt " + base + ".cpp";
    const int status =
        std::system(("\"" FONTGEN_PATH "\"" + files + " 2>" + base + ".err").c_str());
    std::stringstream errors;
    errors << std::ifstream(base + ".err").rdbuf();
    for (const char* suffix : {".txt", ".cpp", ".err"})
        std::remove((base + suffix).c_str());
    return {status, errors.str()};
}

// The build itself feeds the tool the well-formed font texts; these are
// faults it must name.
TEST(FontTool, NamesTheFaultOfAMalformedFontText) {
    auto [status, errors] = RunFontTool(false, "; comment\n0x00\n.......\n");
    EXPECT_NE(status, 0);
    EXPECT_NE(errors.find(".txt:3: error: glyph 0x00 row 0 has 7 characters"), std::string::npos)
        << errors;
    for (auto [text, message] : {std::pair{"A 11 | 1,0 40,12\n", "outside the stroke range"},
                                 {"A 11 | 1,0\nA 11 | 1,0\n", "drawn twice"},
                                 {"0x81 = u @nomark\n", "must be drawn above"},
                                 {"A 11 | 1,0 5\n", "no point"}}) {
        std::tie(status, errors) = RunFontTool(
            true, std::string("name T\nscale 2\nuse " FONT_FOLDER "/Line.strokes\n") + text);
        EXPECT_NE(status, 0) << text;
        EXPECT_NE(errors.find(message), std::string::npos) << errors;
    }
}

} // namespace
