// The kernel's text: bitmap glyphs placed by direction, size and
// justification, blank cells, the write mode, stroked text
// and its measures, fonts that cannot be drawn, the built-in
// stroked fonts, and the settings' refusal of bad arguments.
#include "tests/graph/KernelFixture.h"

#include <tuple>

namespace {

using namespace Graph;
using Kernel::GlyphPixels;
using Pixels = std::set<Kernel::Point>;
using Pair = std::pair<int, int>;
using Segment = std::array<int, 4>;
std::vector<Segment> Lines;

class TextTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        // Strokes are drawn as solid thin lines whatever the caller's style.
        Line = [](std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
            Lines.push_back({x1, y1, x2, y2});
            EXPECT_EQ(Pair(LineInfo.LineStyle, LineInfo.Thickness),
                      Pair(LineStyleSolid, ThicknessNormal));
        };
        CurrentTextInfo = {0, HorizDir, 1, LeftText, TopText};
        CurrentBkColor = 1;
        CurrentXRatio = CurrentYRatio = 1.0f;
        Lines.clear();
    }
    // The pixels drawn, each checked to be in the colour given.
    static Pixels Drawn(int x, int y, const ShortString& text, int color = 14) {
        Kernel::Calls.clear();
        OutTextXYDefault(x, y, text);
        Pixels drawn;
        for (const Kernel::Call& call : Kernel::Calls) {
            drawn.emplace(call.A, call.B);
            EXPECT_EQ(Pair(call.Color, call.WriteMode), Pair(color, 0));
        }
        return drawn;
    }
};

// Drawn from (100, 100); five characters are 40 × 8, two 16 × 8. A vertical
// glyph's squares reach left of and below its anchor. Font numbers past the
// installed fonts and fonts without stroke data are drawn and measured as the
// bitmap font; their data is never read.
TEST_F(TextTest, BitmapGlyphsLandAtTheJustifiedPlaceAndBlankCellsDrawInCopyMode) {
    EXPECT_EQ(OutTextXY, OutTextXYDefault);
    InstallUserFont("EMPTY");
    InstallUserFont("FULL");
    Fonts[2].StrokeData = new std::uint8_t[2]{0x80, 0x8A}; // not installed
    Fonts[2].DataSize = 2;
    CurrentColor = 14;
    const std::tuple<TextInfoType, const char*, int, int> rows[] = {
        {{0, 0, 1, 0, 2}, "A", 100, 100},      {{1, 0, 1, 1, 1}, "ABCDE", 80, 96},
        {{3, 0, 1, 2, 0}, "ABCDE", 60, 92},    {{0, 0, 1, 3, 3}, "AB", 100, 100},
        {{0, 1, 1, 0, 0}, "AB", 100, 100},     {{17, 1, 1, 2, 0}, "AB", 92, 100},
        {{65535, 1, 1, 0, 2}, "AB", 100, 116}, {{0, 2, 2, 0, 0}, "AB", 99, 101}};
    for (const auto& [info, text, x, y] : rows) {
        CurrentTextInfo = info;
        EXPECT_EQ(Drawn(100, 100, text),
                  GlyphPixels(x, y, text, info.CharSize, info.Direction != 0))
            << x << ", " << y;
    }
    EXPECT_TRUE(Lines.empty());
    // Blank cells, size zero and empty text draw in copy mode and restore it.
    CurrentTextInfo = {0, HorizDir, 1, LeftText, TopText};
    CurrentWriteMode = 3;
    for (char code : {'\0', ' ', '\xFF'}) {
        const ShortString text(std::string_view(&code, 1));
        DrawTextBackground = false;
        EXPECT_TRUE(Drawn(5, 5, text).empty());
        DrawTextBackground = true;
        const Pixels cell = Drawn(5, 5, text, 1);
        EXPECT_EQ(cell.size(), 64u);
        EXPECT_TRUE(cell.contains({5, 5}) && cell.contains({12, 12}));
    }
    EXPECT_TRUE(Drawn(5, 5, "").empty());
    CurrentTextInfo.CharSize = 0;
    EXPECT_TRUE(Drawn(5, 5, "AB").empty());
    EXPECT_EQ(TextWidth("AB") + TextHeight("AB"), 0);
    EXPECT_EQ(CurrentWriteMode, 3);
}

// The pen is not reset between characters; 'Z', outside the font's range,
// is drawn and advances all the same. Positions are cut towards zero.
// Font 1: "A" moves to 0,0 and draws to 10,20; "B" draws to 3,0 and "C"
// to -3,0. 'A' and 'B' lie inside its range, 'Z', '!' and '#' outside;
// capitals are 7 high and descenders 2 deep.
TEST_F(TextTest, StrokedTextIsOneSolidThinLinePerDrawAndAdvancesAndJustifiesByTheMeasures) {
    InstallUserFont("TEST");
    TFontEntry& font = Fonts[0];
    font.StrokeData = new std::uint8_t[18]{0x80, 0, 0x8A, 0x94, 0, 0,    0x80, 0, 0x83,
                                           0x80, 0, 0,    0x80, 0, 0xFD, 0x80, 0, 0};
    font.DataSize = 18;
    font.FontHeader[1] = 2; // CharCount
    font.FontHeader[4] = 'A';
    font.FontHeader[8] = 7;
    font.FontHeader[10] = static_cast<std::uint8_t>(-2);
    font.StrokeOffsets['B'] = 6;
    font.StrokeOffsets['C'] = 12;
    for (auto [code, width] : {std::pair{'A', 12}, {'B', 7}, {'Z', 5}, {'!', 3}, {'#', 5}})
        font.CharWidths[static_cast<std::uint8_t>(code)] = static_cast<std::uint8_t>(width);
    CurrentTextInfo = {1, HorizDir, 1, LeftText, BottomText};
    SetLineStyle(LineStyleDotted, 0, ThicknessThick);
    OutTextXYDefault(100, 50, "AZB");
    CurrentTextInfo.Direction = VertDir; // the baseline moves right by 7 + 2
    OutTextXYDefault(100, 50, "AB");
    CurrentTextInfo.Direction = HorizDir;
    CurrentXRatio = 0.5f;
    OutTextXYDefault(0, 0, "C");
    EXPECT_EQ(Lines, (std::vector<Segment>{{100, 50, 110, 30},
                                           {112, 50, 122, 30},
                                           {117, 50, 120, 50},
                                           {109, 50, 89, 40},
                                           {109, 38, 109, 35},
                                           {0, 0, -1, 0}}));
    EXPECT_EQ(std::tuple(LineInfo.LineStyle, LineInfo.Pattern, LineInfo.Thickness),
              std::tuple(LineStyleDotted, 0xCCCC, ThicknessThick));
    // Codes from FirstChar + CharCount up add no width; codes below FirstChar
    // do. Widths round to even, heights are cut; every direction but 0
    // measures as vertical, and a justification past the last counts as the
    // first. "BBBBB" is 35 × 9.
    CurrentXRatio = 1.0f;
    EXPECT_EQ(Pair(TextWidth("AZB"), TextWidth("A!Z")), Pair(19, 15));
    for (auto [info, position] : {std::pair{TextInfoType{1, 0, 1, 1, 1}, Pair(17, 4)},
                                  {{1, 2, 1, 2, 2}, {9, 35}},
                                  {{1, 0, 1, 3, 3}, {0, 0}}}) {
        CurrentTextInfo = info;
        std::int32_t x = 99, y = 99;
        GetTextPosition(x, y, "BBBBB");
        EXPECT_EQ(Pair(x, y), position) << info.Direction << info.HorizJustify;
    }
    CurrentXRatio = 0.5f;
    CurrentYRatio = 0.75f;
    EXPECT_EQ((std::vector<int>{TextWidth("B"), TextWidth("#"), TextHeight("")}),
              (std::vector<int>{4, 2, 6}));
}

// The first stroke of "I" is its stem: 4 font units right of the origin in
// the line font, 6 in the serif font, 24 units high; the fonts measure 32
// units from descender to capital, and the advances are 8 and 12 units.
// Size 4 draws a unit as a pixel, size 1 as a quarter.
TEST_F(TextTest, StemOfIInTheDrawnFontsAtEachSizeDirectionAndJustification) {
    InstallBuiltInFonts();
    // Font, size, direction, justification; the stem's two ends.
    const int cases[][9] = {
        {LineFont, 4, HorizDir, LeftText, BottomText, 104, 100, 104, 76},
        {LineFont, 4, HorizDir, CenterText, CenterText, 100, 116, 100, 92},
        {LineFont, 4, HorizDir, RightText, TopText, 96, 132, 96, 108},
        {LineFont, 4, VertDir, LeftText, BottomText, 132, 96, 108, 96},
        {LineFont, 4, VertDir, CenterText, CenterText, 116, 100, 92, 100},
        {LineFont, 1, HorizDir, LeftText, BottomText, 101, 100, 101, 94},
        {LineFont, 1, VertDir, RightText, TopText, 100, 101, 94, 101},
        {SerifFont, 4, HorizDir, LeftText, BottomText, 106, 100, 106, 76},
        {SerifFont, 1, HorizDir, CenterText, TopText, 100, 108, 100, 102},
        {SerifFont, 4, VertDir, LeftText, TopText, 132, 106, 108, 106},
    };
    for (const int* c : cases) {
        SetTextStyle(c[0], c[2], c[1]);
        SetTextJustify(c[3], c[4]);
        Lines.clear();
        OutTextXY(100, 100, "I");
        EXPECT_EQ(Lines.at(0), (Segment{c[5], c[6], c[7], c[8]}))
            << c[0] << c[1] << c[2] << c[3] << c[4];
    }
}

// A bad argument sets its result code and leaves the whole text and drawing
// state as it was.
TEST_F(TextTest, BadArgumentsLeaveTheStateAlone) {
    const std::pair<void (*)(), int> cases[] = {
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
        {[] { SetLineStyle(5, 0xFFFF, ThicknessNormal); }, GraphError},
        {[] { SetLineStyle(LineStyleSolid, 0xFFFF, 2); }, GraphError},
    };
    InstallBuiltInFonts();
    SetTextStyle(SerifFont, VertDir, 2);
    SetLineStyle(LineStyleUser, 0x4001, ThicknessThick);
    auto state = [] {
        return std::make_tuple(CurrentTextInfo.FontNumber, CurrentTextInfo.Direction,
                               CurrentTextInfo.CharSize, CurrentTextInfo.HorizJustify,
                               CurrentXRatio, CurrentColor, CurrentWriteMode, FillSettings.Pattern,
                               XAspect, LineInfo.LineStyle, LineInfo.Pattern, LineInfo.Thickness,
                               std::vector<bool>(LinePatterns, LinePatterns + 16),
                               Kernel::Calls.size(), Kernel::PaletteCalls.size());
    };
    const auto before = state();
    for (auto [call, result] : cases) {
        GraphResult = GraphOk;
        call();
        EXPECT_EQ(GraphResult, result);
        EXPECT_EQ(state(), before) << result;
    }
}

} // namespace
