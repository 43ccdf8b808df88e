// The bifurcation diagram computed by the tests themselves, from its
// definition, in the arithmetic type given: μ from e in steps of 0.037 until
// it reaches e^3.9 (the first column always drawn), 300 settling and 200
// plotted iterations of x <- r·x·(1 − x) with r = ln μ from x = 0.5, rows
// (1 − x)·700 rounded to nearest with ties to even; columns from 1.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace TestSupport {

struct DiagramPoint {
    int X;
    int Y;
    bool operator==(const DiagramPoint&) const = default;
};

template <class Real>
std::vector<DiagramPoint> ReferenceDiagram() {
    std::vector<DiagramPoint> points;
    const Real start = static_cast<Real>(2.718281828459045);
    const Real step = static_cast<Real>(0.037);
    const Real end = static_cast<Real>(49.40244910553017);
    int column = 1;
    for (Real mu = start;; mu += step, ++column) {
        if (column > 1 && mu >= end)
            break;
        const Real r = std::log(mu);
        Real x = static_cast<Real>(0.5);
        for (int n = 0; n < 300; ++n)
            x = x * r * (1 - x);
        for (int n = 0; n < 200; ++n) {
            x = x * r * (1 - x);
            Real row = (1 - x) * 700;
            points.push_back({column, static_cast<int>(std::nearbyint(row))});
        }
    }
    return points;
}

// How many pixels of a picture of the program's window (0x00RRGGBB, row by
// row) differ from the diagram drawn in white (palette entry 15) on black: by
// more than tolerance in any channel, for a display that keeps fewer bits.
inline size_t WrongDiagramPixels(const std::vector<std::uint32_t>& pixels, int width,
                                 int tolerance = 0) {
    constexpr std::uint32_t plot = 0xFCFCFC;
    std::set<std::pair<int, int>> expected;
    for (const auto& point : ReferenceDiagram<long double>())
        expected.insert({point.X, point.Y});
    size_t wrong = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const std::pair<int, int> place{static_cast<int>(i % width), static_cast<int>(i / width)};
        const std::uint32_t want = expected.count(place) ? plot : 0;
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(static_cast<int>((pixels[i] >> shift) & 0xFF) -
                         static_cast<int>((want >> shift) & 0xFF)) > tolerance) {
                ++wrong;
                break;
            }
    }
    return wrong;
}

} // namespace TestSupport
