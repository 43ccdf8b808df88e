// Line styles and the default Line operation.
//
// A solid horizontal or vertical line goes to the HLine or VLine slot, so that
// a driver can draw it as a run; every other line is walked pixel by pixel
// into DirectPutPixel. Lines are clipped once, as a segment, before they are
// walked; only the side pixels of thick lines, which the segment clip does not
// cover, are clipped one by one with DirectPutPixelClip.
#include "graph/Lines.h"

#include "graph/OperationTable.h"
#include "graph/ViewPort.h"

#include <utility>

namespace Graph {

namespace {

// Patterns of the predefined styles, indexed by style.
constexpr std::uint16_t StylePatterns[] = {0xFFFF, 0xCCCC, 0xFC78, 0xF8F8};

bool ThickLines() {
    return LineInfo.Thickness == ThicknessThick;
}

// The three pixels of one step of a thick line: stacked across an x-major
// line, side by side across a y-major one.
void PutThickPixel(std::int16_t x, std::int16_t y, bool xMajor) {
    if (xMajor) {
        DirectPutPixelClip(x, Low16(y - 1));
        DirectPutPixelClip(x, y);
        DirectPutPixelClip(x, Low16(y + 1));
    } else {
        DirectPutPixelClip(Low16(x - 1), y);
        DirectPutPixelClip(x, y);
        DirectPutPixelClip(Low16(x + 1), y);
    }
}

// Translates a viewport-relative segment to the screen and clips it when
// clipping is on; false when nothing of it is left to draw.
bool TranslateAndClip(std::int16_t& x1, std::int16_t& y1, std::int16_t& x2, std::int16_t& y2) {
    x1 = Low16(x1 + StartXViewPort);
    y1 = Low16(y1 + StartYViewPort);
    x2 = Low16(x2 + StartXViewPort);
    y2 = Low16(y2 + StartYViewPort);
    return !(ClipPixels && LineClippedToViewPort(x1, y1, x2, y2));
}

void SolidLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    // A single point counts as horizontal. The run slots translate and clip.
    if (y1 == y2) {
        if (ThickLines())
            HLine(x1, x2, Low16(y1 - 1));
        HLine(x1, x2, y1);
        if (ThickLines())
            HLine(x1, x2, Low16(y1 + 1));
        return;
    }
    if (x1 == x2) {
        if (ThickLines())
            VLine(Low16(x1 - 1), y1, y2);
        VLine(x1, y1, y2);
        if (ThickLines())
            VLine(Low16(x1 + 1), y1, y2);
        return;
    }
    if (!TranslateAndClip(x1, y1, x2, y2))
        return;
    // The segment is clipped: only the side pixels of a thick line can still
    // fall outside the viewport.
    if (ThickLines()) {
        const bool xMajor = LineIsXMajor(x1, y1, x2, y2);
        WalkLine(x1, y1, x2, y2, [xMajor](std::int16_t x, std::int16_t y, std::int32_t) {
            PutThickPixel(x, y, xMajor);
        });
    } else {
        WalkLine(x1, y1, x2, y2,
                 [](std::int16_t x, std::int16_t y, std::int32_t) { DirectPutPixel(x, y); });
    }
}

// Horizontal and vertical patterned lines take the pattern phase from the
// screen coordinate along them, so that lines drawn in pieces join up;
// slanted ones from the ordinal counted from the first end point that
// survived clipping.
void PatternedLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    if (!TranslateAndClip(x1, y1, x2, y2))
        return;
    if (y1 == y2) {
        if (x1 > x2)
            std::swap(x1, x2);
        if (ThickLines()) {
            for (int offset = -1; offset <= 1; ++offset)
                for (std::int32_t x = x1; x <= x2; ++x)
                    if (LinePatterns[x & 15])
                        DirectPutPixelClip(static_cast<std::int16_t>(x), Low16(y1 + offset));
        } else {
            for (std::int32_t x = x1; x <= x2; ++x)
                if (LinePatterns[x & 15])
                    DirectPutPixel(static_cast<std::int16_t>(x), y1);
        }
        return;
    }
    if (x1 == x2) {
        if (y1 > y2)
            std::swap(y1, y2);
        if (ThickLines()) {
            for (int offset = -1; offset <= 1; ++offset)
                for (std::int32_t y = y1; y <= y2; ++y)
                    if (LinePatterns[y & 15])
                        DirectPutPixelClip(Low16(x1 + offset), static_cast<std::int16_t>(y));
        } else {
            for (std::int32_t y = y1; y <= y2; ++y)
                if (LinePatterns[y & 15])
                    DirectPutPixel(x1, static_cast<std::int16_t>(y));
        }
        return;
    }
    if (ThickLines()) {
        const bool xMajor = LineIsXMajor(x1, y1, x2, y2);
        WalkLine(x1, y1, x2, y2, [xMajor](std::int16_t x, std::int16_t y, std::int32_t ordinal) {
            if (LinePatterns[ordinal & 15])
                PutThickPixel(x, y, xMajor);
        });
    } else {
        WalkLine(x1, y1, x2, y2, [](std::int16_t x, std::int16_t y, std::int32_t ordinal) {
            if (LinePatterns[ordinal & 15])
                DirectPutPixel(x, y);
        });
    }
}

} // namespace

void SetLineStyle(std::uint16_t lineStyle, std::uint16_t pattern, std::uint16_t thickness) {
    if (!LineStyleAccepted(lineStyle, thickness)) {
        GraphResult = GraphError;
        return;
    }
    LineInfo.Thickness = thickness;
    LineInfo.LineStyle = lineStyle;
    LineInfo.Pattern = lineStyle == LineStyleUser ? pattern : StylePatterns[lineStyle];
    for (int bit = 0; bit < 16; ++bit)
        LinePatterns[15 - bit] = ((LineInfo.Pattern >> bit) & 1) != 0;
}

void GetLineSettings(LineSettingsType& settings) {
    settings = LineInfo;
}

void LineDefault(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    if (LineInfo.LineStyle == LineStyleSolid)
        SolidLine(x1, y1, x2, y2);
    else
        PatternedLine(x1, y1, x2, y2);
}

} // namespace Graph
