// Lines and line styles, drawn through the pixel and run slots, and the saver
// of drawing attributes that every composite operation uses.
#pragma once

#include "graph/GraphState.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace Graph {

constexpr std::uint16_t LineStyleSolid = 0;
constexpr std::uint16_t LineStyleDotted = 1;
constexpr std::uint16_t LineStyleCenter = 2;
constexpr std::uint16_t LineStyleDashed = 3;
constexpr std::uint16_t LineStyleUser = 4;
constexpr std::uint16_t ThicknessNormal = 1;
constexpr std::uint16_t ThicknessThick = 3;

void SetLineStyle(std::uint16_t lineStyle, std::uint16_t pattern, std::uint16_t thickness);
void GetLineSettings(LineSettingsType& settings);

// Whether SetLineStyle takes a style and thickness (it refuses the others
// with GraphError).
constexpr bool LineStyleAccepted(std::uint16_t lineStyle, std::uint16_t thickness) {
    return lineStyle <= LineStyleUser &&
           (thickness == ThicknessNormal || thickness == ThicknessThick);
}

// How an AttributeSaver puts the line style back. Operations that only draw
// with the style copy it back as it was. Operations that set a style of their
// own put the saved one back through SetLineStyle, which also takes a
// predefined style's pattern from the table: the pattern left behind is the
// style's own, not whatever stood beside it before.
enum class LineStyleRestore { Copy, ThroughSetLineStyle };

// Keeps the drawing attributes that an operation changes for its own work
// (colour, write mode, line style) and puts them back when the scope ends, so
// that every way out of the operation restores them.
class AttributeSaver {
public:
    explicit AttributeSaver(LineStyleRestore restore = LineStyleRestore::Copy) : Restore(restore) {}
    AttributeSaver(const AttributeSaver&) = delete;
    AttributeSaver& operator=(const AttributeSaver&) = delete;
    ~AttributeSaver() {
        CurrentColor = SavedColor;
        CurrentWriteMode = SavedWriteMode;
        // A style that SetLineStyle would refuse (LineInfo written directly)
        // is copied back as it was: going through SetLineStyle would keep the
        // operation's own style and set GraphError.
        if (Restore == LineStyleRestore::ThroughSetLineStyle &&
            LineStyleAccepted(SavedLineInfo.LineStyle, SavedLineInfo.Thickness)) {
            SetLineStyle(SavedLineInfo.LineStyle, SavedLineInfo.Pattern, SavedLineInfo.Thickness);
            return;
        }
        LineInfo = SavedLineInfo;
        std::copy(SavedLinePatterns.begin(), SavedLinePatterns.end(), LinePatterns);
    }

private:
    LineStyleRestore Restore;
    std::uint16_t SavedColor = CurrentColor;
    std::int16_t SavedWriteMode = CurrentWriteMode;
    LineSettingsType SavedLineInfo = LineInfo;
    std::array<bool, 16> SavedLinePatterns = std::to_array(LinePatterns);
};

// A segment is x-major when it is at least as wide as it is high.
inline bool LineIsXMajor(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
    return std::abs(std::int32_t{x2} - x1) >= std::abs(std::int32_t{y2} - y1);
}

// The incremental line walk: calls visit(x, y, ordinal) for every pixel from
// (x1, y1) to (x2, y2), both end points included, ordinals counting from 0 at
// the first end point. An error term of 0 takes the diagonal step. Only the
// signs of the steps depend on the direction, so a walk in any octant is the
// mirror image of the same walk in the first. The differences and the error
// term are kept in 32 bits: every pair of 16-bit points walks correctly,
// however far apart.
template <typename Visit>
void WalkLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, Visit&& visit) {
    const std::int32_t dx = std::abs(std::int32_t{x2} - x1);
    const std::int32_t dy = std::abs(std::int32_t{y2} - y1);
    const bool xMajor = dx >= dy;
    const std::int32_t major = xMajor ? dx : dy;
    const std::int32_t minor = xMajor ? dy : dx;
    const std::int32_t count = major + 1;
    const std::int32_t dinc1 = 2 * minor;
    const std::int32_t dinc2 = 2 * (minor - major);
    std::int32_t d = 2 * minor - major;
    const std::int32_t stepX = x2 < x1 ? -1 : 1;
    const std::int32_t stepY = y2 < y1 ? -1 : 1;
    const std::int32_t straightX = xMajor ? stepX : 0;
    const std::int32_t straightY = xMajor ? 0 : stepY;
    std::int32_t x = x1;
    std::int32_t y = y1;
    for (std::int32_t ordinal = 0; ordinal < count; ++ordinal) {
        // Every emitted pixel lies between the end points, so it fits 16 bits.
        visit(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), ordinal);
        if (d < 0) {
            d += dinc1;
            x += straightX;
            y += straightY;
        } else {
            d += dinc2;
            x += stepX;
            y += stepY;
        }
    }
}

void LineDefault(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);

} // namespace Graph
