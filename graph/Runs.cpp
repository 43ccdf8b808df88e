// Horizontal and vertical runs, fill-pattern rows and the clearing of the
// viewport.
//
// The runs translate and clip their span once and then write every pixel of
// it with DirectPutPixel. A fill-pattern row is always clipped, whatever
// ClipPixels says, because area fills hand it spans that may reach far
// outside; rows that are all set or all clear go to the HLine slot so that a
// driver can draw them as runs.
#include "graph/Runs.h"

#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "graph/OperationTable.h"
#include "graph/ViewPort.h"

#include <cassert>
#include <utility>

namespace Graph {

std::uint8_t FillPatternTable[FillPatternCount][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // empty
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, // solid
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, // horizontal bands
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // thin slashes
    {0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0, 0xC1, 0x83}, // thick slashes
    {0x07, 0x83, 0xC1, 0xE0, 0x70, 0x38, 0x1C, 0x0E}, // thick backslashes
    {0x5A, 0x2D, 0x96, 0x4B, 0xA5, 0xD2, 0x69, 0xB4}, // dense thin backslashes
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}, // square hatch
    {0x18, 0x24, 0x42, 0x81, 0x81, 0x42, 0x24, 0x18}, // diagonal cross-hatch
    {0xCC, 0x33, 0xCC, 0x33, 0xCC, 0x33, 0xCC, 0x33}, // interleaved pairs
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00}, // sparse dots
    {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00}, // close dots
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // the user pattern
};

const std::uint8_t RevBitArray[8] = {128, 64, 32, 16, 8, 4, 2, 1};

void HLineDefault(std::int16_t x, std::int16_t x2, std::int16_t y) {
    if (x > x2)
        std::swap(x, x2);
    x = Low16(x + StartXViewPort);
    x2 = Low16(x2 + StartXViewPort);
    y = Low16(y + StartYViewPort);
    std::int16_t yEnd = y;
    if (ClipPixels && LineClippedToViewPort(x, y, x2, yEnd))
        return;
    for (std::int32_t column = x; column <= x2; ++column)
        DirectPutPixel(static_cast<std::int16_t>(column), y);
}

void VLineDefault(std::int16_t x, std::int16_t y, std::int16_t y2) {
    if (y > y2)
        std::swap(y, y2);
    x = Low16(x + StartXViewPort);
    y = Low16(y + StartYViewPort);
    y2 = Low16(y2 + StartYViewPort);
    std::int16_t xEnd = x;
    if (ClipPixels && LineClippedToViewPort(x, y, xEnd, y2))
        return;
    for (std::int32_t row = y; row <= y2; ++row)
        DirectPutPixel(x, static_cast<std::int16_t>(row));
}

// Set bits of the pattern byte are drawn in the current colour, clear bits in
// the background colour, both in copy mode. The span is put in order first,
// so that a mixed row covers the same pixels as a solid one.
void PatternLineDefault(std::int16_t x1, std::int16_t x2, std::int16_t y) {
    if (x1 > x2)
        std::swap(x1, x2);
    x1 = Low16(x1 + StartXViewPort);
    x2 = Low16(x2 + StartXViewPort);
    y = Low16(y + StartYViewPort);
    std::int16_t yEnd = y;
    if (LineClippedToViewPort(x1, y, x2, yEnd))
        return;

    AttributeSaver saver;
    CurrentWriteMode = 0;
    assert(FillSettings.Pattern < FillPatternCount && "the fill pattern is one of the table's");
    const std::uint8_t rowBits = FillPatternTable[FillSettings.Pattern][y & 7];
    const std::uint16_t fillColor = CurrentColor;
    if (rowBits == 0x00 || rowBits == 0xFF) {
        if (rowBits == 0x00)
            CurrentColor = CurrentBkColor;
        HLine(Low16(x1 - StartXViewPort), Low16(x2 - StartXViewPort), Low16(y - StartYViewPort));
        return;
    }
    for (std::int32_t x = x1; x <= x2; ++x) {
        CurrentColor = (rowBits & RevBitArray[x & 7]) != 0 ? fillColor : CurrentBkColor;
        DirectPutPixel(static_cast<std::int16_t>(x), y);
    }
}

void ClearViewPortDefault() {
    CurrentX = 0;
    CurrentY = 0;
    AttributeSaver saver(LineStyleRestore::ThroughSetLineStyle);
    CurrentColor = CurrentBkColor;
    CurrentWriteMode = 0;
    SetLineStyle(LineStyleSolid, 0, ThicknessNormal);
    for (std::int32_t row = 0; row <= ViewHeight; ++row)
        HLine(0, ViewWidth, static_cast<std::int16_t>(row));
}

} // namespace Graph
