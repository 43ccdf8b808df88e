// The drawn stroked fonts through the text operations, the text state's
// setters, and the font tool's checks of a font text.
#include "tests/graph/KernelFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using namespace Graph;
using Segment = std::array<int, 4>;
std::vector<Segment> Lines;

class StrokedTextTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        InstallBuiltInFonts();
        Lines.clear();
        Line = [](std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
            Lines.push_back({x1, y1, x2, y2});
        };
    }
};

// The first stroke of "I" is its stem: 4 font units right of the origin in
// the line font, 6 in the serif font, 24 units high; the fonts measure 32
// units from descender to capital, and the advances are 8 and 12 units.
// Size 4 draws a unit as a pixel, size 1 as a quarter.
TEST_F(StrokedTextTest, StemOfIAtEachSizeDirectionAndJustification) {
    struct Case {
        std::uint16_t Font, Size, Direction, Horiz, Vert;
        Segment Stem;
    } cases[] = {
        {LineFont, 4, HorizDir, LeftText, BottomText, {104, 100, 104, 76}},
        {LineFont, 4, HorizDir, CenterText, CenterText, {100, 116, 100, 92}},
        {LineFont, 4, HorizDir, RightText, TopText, {96, 132, 96, 108}},
        {LineFont, 4, VertDir, LeftText, BottomText, {132, 96, 108, 96}},
        {LineFont, 4, VertDir, CenterText, CenterText, {116, 100, 92, 100}},
        {LineFont, 1, HorizDir, LeftText, BottomText, {101, 100, 101, 94}},
        {LineFont, 1, VertDir, RightText, TopText, {100, 101, 94, 101}},
        {SerifFont, 4, HorizDir, LeftText, BottomText, {106, 100, 106, 76}},
        {SerifFont, 1, HorizDir, CenterText, TopText, {100, 108, 100, 102}},
        {SerifFont, 4, VertDir, LeftText, TopText, {132, 106, 108, 106}},
    };
    for (const Case& c : cases) {
        SetTextStyle(c.Font, c.Direction, c.Size);
        SetTextJustify(c.Horiz, c.Vert);
        ASSERT_EQ(GraphResult, GraphOk);
        Lines.clear();
        OutTextXY(100, 100, "I");
        ASSERT_FALSE(Lines.empty());
        EXPECT_EQ(Lines[0], c.Stem) << c.Font << " size " << c.Size << " dir " << c.Direction
                                    << " justify " << c.Horiz << c.Vert;
    }
}

// "Hi" is 11 + 3 steps of 2 units in the line font, 14 + 5 in the serif one.
TEST_F(StrokedTextTest, TextWidthAndHeightMeasureTheDrawnFonts) {
    for (auto [font, size, width, height] :
         {std::array<int, 4>{LineFont, 4, 28, 32}, {LineFont, 1, 7, 8}, {SerifFont, 4, 38, 32}}) {
        SetTextStyle(static_cast<std::uint16_t>(font), HorizDir, static_cast<std::uint16_t>(size));
        EXPECT_EQ(std::make_pair(int{TextWidth("Hi")}, int{TextHeight("Hi")}),
                  std::make_pair(width, height));
    }
}

// Every printable character but the space draws something, and every
// accented letter draws more than its base letter.
TEST_F(StrokedTextTest, EveryCharacterIsDrawnAndAccentsAddStrokes) {
    for (std::uint16_t font : {LineFont, SerifFont}) {
        SetTextStyle(font, HorizDir, 4);
        auto strokes = [](char c) {
            Lines.clear();
            OutTextXY(100, 100, ShortString(std::string(1, c)));
            return Lines.size();
        };
        for (int c = 0x21; c < 0x7F; ++c)
            EXPECT_GT(strokes(static_cast<char>(c)), 0u) << font << ": " << c;
        for (auto [accented, base] : {std::pair{'\x81', 'u'},
                                      {'\x8E', 'A'},
                                      {'\xA4', 'n'},
                                      {'\x80', 'C'},
                                      {'\x99', 'O'},
                                      {'\x82', 'e'}})
            EXPECT_GT(strokes(accented), strokes(base)) << font << ": " << int(accented & 0xFF);
    }
}

// A bad argument sets its result code and leaves the whole text and drawing
// state as it was.
TEST_F(StrokedTextTest, BadArgumentsLeaveTheStateAlone) {
    struct Case {
        void (*Call)();
        std::int16_t Result;
    } cases[] = {
        {[] { SetTextStyle(3, HorizDir, 4); }, GraphFontNotFound},
        {[] { SetTextStyle(11, HorizDir, 4); }, GraphInvalidFontNum},
        {[] { SetTextStyle(LineFont, 2, 4); }, GraphError},
        {[] { SetTextJustify(3, 0); }, GraphError},
        {[] { SetUserCharSize(1, 0, 1, 1); }, GraphError},
        {[] { SetColor(16); }, GraphError},
        {[] { SetWriteMode(5); }, GraphError},
        {[] { SetFillStyle(UserFill, 1); }, GraphError},
        {[] { SetPalette(16, 1); }, GraphError},
        {[] { SetAspectRatio(0, 1); }, GraphError},
        {[] {
             DrawPoly(std::vector<PointType>{{1, 1}});
         },
         GraphError},
        {[] {
             FillPoly(std::vector<PointType>{{1, 1}, {2, 2}});
         },
         GraphError},
    };
    SetTextStyle(SerifFont, VertDir, 2);
    auto state = [] {
        return std::make_tuple(CurrentTextInfo.FontNumber, CurrentTextInfo.Direction,
                               CurrentTextInfo.CharSize, CurrentTextInfo.HorizJustify,
                               CurrentXRatio, CurrentColor, CurrentWriteMode, FillSettings.Pattern,
                               XAspect, Kernel::Calls.size(), Kernel::PaletteCalls.size());
    };
    const auto before = state();
    for (const Case& c : cases) {
        GraphResult = GraphOk;
        c.Call();
        EXPECT_EQ(GraphResult, c.Result);
        EXPECT_EQ(state(), before) << c.Result;
    }
    // Each of those codes has a text of its own.
    std::set<std::string_view> texts;
    for (std::int16_t code : {GraphOk, GraphNoInit, GraphNotDetected, GraphFontNotFound,
                              GraphInvalidMode, GraphError, GraphInvalidFontNum})
        texts.insert(GraphErrorMsg(code));
    EXPECT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts.count(GraphErrorMsg(-99)), 0u);
}

// The font tool refuses a font text with a fault, naming it.
TEST(StrokedFontTool, RefusesFaultyFontTexts) {
    const std::string base = testing::TempDir() + "strokes" + std::to_string(std::rand());
    for (auto [text, message] : {std::pair{"A 11 | 1,0 40,12\n", "outside the stroke range"},
                                 {"A 11 | 1,0\nA 11 | 1,0\n", "drawn twice"},
                                 {"0x81 = u @nomark\n", "must be drawn above"},
                                 {"A 11 | 1,0 5\n", "no point"}}) {
        std::ofstream(base + ".strokes") << "name T\nscale 2\nuse " FONT_FOLDER "/Line.strokes\n"
                                         << text;
        const std::string command = std::string(FONTGEN_PATH) + " --stroked " + base + ".cpp " +
                                    base + ".strokes 2>" + base + ".err";
        EXPECT_NE(std::system(command.c_str()), 0) << text;
        std::stringstream errors;
        errors << std::ifstream(base + ".err").rdbuf();
        EXPECT_NE(errors.str().find(message), std::string::npos) << errors.str();
    }
    for (const char* suffix : {".strokes", ".cpp", ".err"})
        std::remove((base + suffix).c_str());
}

} // namespace
