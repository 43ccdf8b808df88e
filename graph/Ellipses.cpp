// Elliptical arcs and circles.
//
// An ellipse is walked over one quadrant in equal angular steps, and each
// point found is mirrored into the other three quadrants; the step is small
// enough that neighbouring points touch. Points go to the PutPixel slot, which
// clips and applies the write mode. The angle is kept as a 32-bit float and
// each offset is rounded from an extended product, so that the pixels do not
// depend on how the compiler would otherwise evaluate the expressions.
#include "graph/Ellipses.h"

#include "graph/GraphState.h"
#include "graph/Lines.h"
#include "runtime/FloatingPoint.h"

#include <algorithm>
#include <cmath>

namespace Graph {

namespace {

constexpr long double Pi = 3.14159265358979323846264338327950288L;
constexpr long double Sqrt3 = 1.7320508075688772;
constexpr std::int32_t SquarePixel = 10000;

// An angle in degrees as radians, held as a 32-bit float.
float Radians(long double degrees) {
    return static_cast<float>(degrees * Pi / 180);
}

// The rounded horizontal offset and the rounded, negated vertical offset of
// the point at angle theta.
std::int32_t OffsetX(std::int32_t xRadius, float theta) {
    return Runtime::Round(xRadius * std::cos(static_cast<long double>(theta)));
}
std::int32_t OffsetY(std::int32_t yRadius, float theta) {
    return Runtime::Round(yRadius * std::sin(static_cast<long double>(theta) + Pi));
}

// The radius stretched by the aspect factor. A factor of 0, which the state
// has before any mode is set, counts as a square pixel, so that nothing is
// divided by it; and the result is kept within the 16 bits of a radius, so
// that the sum of squares and the step count stay small enough for the walk.
std::int32_t CorrectedRadius(std::uint16_t radius, std::uint16_t aspect) {
    std::int32_t corrected = radius;
    if (aspect != 0)
        corrected = std::int32_t{radius} * SquarePixel / aspect;
    corrected = std::min<std::int32_t>(corrected, 65535);
    return corrected == 0 ? 1 : corrected;
}

} // namespace

void InternalEllipseDefault(std::int16_t x, std::int16_t y, std::uint16_t xRadius,
                            std::uint16_t yRadius, std::uint16_t startAngle, std::uint16_t endAngle,
                            PatternLineProc fill) {
    // A thick outline is three thin ones, r, r + 1 and r − 1; only the inner
    // one reports its rows, so that a filled figure covers no outline pixel.
    if (LineInfo.Thickness == ThicknessThick) {
        {
            AttributeSaver saver;
            LineInfo.Thickness = ThicknessNormal;
            InternalEllipseDefault(x, y, xRadius, yRadius, startAngle, endAngle, DummyPatternLine);
            InternalEllipseDefault(x, y, Low16U(xRadius + 1), Low16U(yRadius + 1), startAngle,
                                   endAngle, DummyPatternLine);
        }
        if (xRadius == 0 || yRadius == 0)
            return;
        --xRadius;
        --yRadius;
    }

    const std::int32_t xr = CorrectedRadius(xRadius, XAspect);
    const std::int32_t yr = CorrectedRadius(yRadius, YAspect);

    if (xr <= 1 && yr <= 1) {
        PutPixel(x, y, CurrentColor);
        ArcCall = {x, y, x, y, x, y};
        return;
    }

    // Out-of-range angles fold into 0 to 360, and the arc always runs from
    // the smaller angle to the larger.
    std::int32_t first = startAngle % 361;
    std::int32_t last = endAngle % 361;
    if (first > last)
        std::swap(first, last);

    // About √3 steps per pixel of the radius keep neighbouring points
    // touching. The sum of squares is taken in 64 bits: for radii whose
    // squares fit 32 bits it is the same number, and larger ones cannot wrap.
    // At least one radius is 2 or more here, so n is at least 3.
    const std::int64_t squares = std::int64_t{xr} * xr + std::int64_t{yr} * yr;
    const std::int32_t n = Runtime::Round(Sqrt3 * std::sqrt(static_cast<long double>(squares)));
    const float delta = 90.0f / static_cast<float>(n);

    AttributeSaver saver;
    const std::uint16_t outline = CurrentColor;
    const float startTheta = Radians(first);
    const float endTheta = Radians(last);
    ArcCall = {x,
               y,
               Low16(x + OffsetX(xr, startTheta)),
               Low16(y + OffsetY(yr, startTheta)),
               Low16(x + OffsetX(xr, endTheta)),
               Low16(y + OffsetY(yr, endTheta))};

    auto inArc = [first, last](float angle) {
        return angle >= static_cast<float>(first) && angle <= static_cast<float>(last);
    };

    float j = 0.0f;
    std::int32_t xp = xr;
    std::int32_t yp = 0;
    do {
        const float next = j + delta;
        const float theta = Radians(next);
        const std::int32_t xn = OffsetX(xr, theta);
        const std::int32_t yn = OffsetY(yr, theta);

        // A quadrant point that lies outside the arc leaves its run limit at
        // the edge of the 16-bit range; the fill callback clips such runs.
        std::int32_t upperRight = 32767;
        std::int32_t lowerRight = 32767;
        std::int32_t upperLeft = -32768;
        std::int32_t lowerLeft = -32768;
        const std::int16_t right = Low16(x + xp);
        const std::int16_t left = Low16(x - xp);
        const std::int16_t upper = Low16(y + yp);
        const std::int16_t lower = Low16(y - yp);
        if (inArc(j)) {
            PutPixel(right, upper, CurrentColor);
            upperRight = right;
        }
        if (inArc(180.0f - j)) {
            PutPixel(left, upper, CurrentColor);
            upperLeft = left;
        }
        if (inArc(180.0f + j)) {
            PutPixel(left, lower, CurrentColor);
            lowerLeft = left;
        }
        if (inArc(360.0f - j)) {
            PutPixel(right, lower, CurrentColor);
            lowerRight = right;
        }

        // A row is reported once, at the last point the walk finds on it, and
        // only when there is room between the outline points.
        if (yn != yp && (x + xp) - (x - xp) >= 1) {
            CurrentColor = FillSettings.Color;
            fill(Low16(upperLeft + 1), Low16(upperRight - 1), upper);
            fill(Low16(lowerLeft + 1), Low16(lowerRight - 1), lower);
            CurrentColor = outline;
        }

        xp = xn;
        yp = yn;
        j = next;
    } while (j <= 91.0f); // a degree past the quarter closes the gaps at the axes
}

void CircleDefault(std::int16_t x, std::int16_t y, std::uint16_t radius) {
    if (radius == 0)
        return;
    if (radius == 1) {
        PutPixel(x, y, CurrentColor);
        return;
    }
    // A thin circle is drawn in copy mode: its mirrored quarters overlap at
    // the axes, and an exclusive-or would take those pixels out again. A
    // thick circle keeps the caller's mode.
    const ArcCoordsType savedArc = ArcCall;
    const std::int16_t savedWriteMode = CurrentWriteMode;
    const bool thin = LineInfo.Thickness == ThicknessNormal;
    if (thin)
        CurrentWriteMode = 0;
    InternalEllipse(x, y, radius, radius, 0, 360, DummyPatternLine);
    if (thin)
        CurrentWriteMode = savedWriteMode;
    ArcCall = savedArc;
}

} // namespace Graph
