// Rectangle arithmetic shared by the layer's parts: clipping, update regions
// and the parts of a surface waiting to be presented. A rectangle holds its
// left and top edges and excludes its right and bottom ones.
#pragma once

#include <windows.h>

#include <algorithm>

namespace WinApi {

constexpr bool IsEmpty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// The part both rectangles cover; {0, 0, 0, 0} when they do not meet.
constexpr RECT Intersect(const RECT& a, const RECT& b) {
    const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

// The smallest rectangle that covers both; an empty rectangle adds nothing.
constexpr RECT Union(const RECT& a, const RECT& b) {
    if (IsEmpty(b))
        return a;
    if (IsEmpty(a))
        return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace WinApi
