// Block transfers: BitBlt and StretchBlt with any ternary raster operation.
//
// A raster operation code carries in bits 16 to 23 the truth table of a
// function of three bits: for pattern P (the destination context's brush),
// source S and destination D, the result is bit (P << 2 | S << 1 | D) of
// that byte, applied to each of the 24 colour bits of a pixel. The common
// operations run as plain expressions; every other one goes through the same
// table as a tree of bitwise selections.
//
// Both transfers map each destination pixel to a source pixel (BitBlt one to
// one, StretchBlt by nearest neighbour, sampling at pixel centres) and leave
// destination pixels whose source lies outside the source surface
// untouched. Negative sizes, which Windows takes as mirroring, are refused.
// When source and destination share a surface the source part is copied
// first, so overlapping transfers read the picture as it was.
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace WinApi {
namespace {

constexpr int Outside = -1;

struct Plan {
    int FirstX = 0;
    int FirstY = 0;
    std::vector<int> Columns; // source column per destination column, or Outside
    std::vector<int> Rows;    // source row per destination row, or Outside
    const std::uint32_t* Source = nullptr;
    std::size_t SourceStride = 0;
    std::uint32_t Pattern = 0;
};

// How destination positions map to source positions along one axis.
struct Axis {
    long long DestStart;
    long long DestSize;
    long long SourceStart;
    long long SourceSize;
    bool Stretch;

    // A stretch samples the source pixel under the centre of the
    // destination pixel, and a centre that falls on the border between two
    // source pixels takes the first of them. The offset is below DestSize,
    // so with both sizes under 2^27 the product stays far inside 64 bits.
    long long SourceOf(long long d) const {
        long long i = d - DestStart;
        if (!Stretch)
            return SourceStart + i;
        return SourceStart + ((2 * i + 1) * SourceSize - 1) / (2 * DestSize);
    }
};

// The destination range inside [clipLow, clipHigh), from first on, with the
// source of each position, or false when nothing of it is inside.
bool MapAxis(const Axis& axis, long long clipLow, long long clipHigh, long long sourceLow,
             long long sourceHigh, int& first, std::vector<int>& map) {
    long long low = std::max(axis.DestStart, clipLow);
    long long high = std::min(axis.DestStart + axis.DestSize, clipHigh);
    if (low >= high)
        return false;
    first = static_cast<int>(low);
    map.resize(static_cast<std::size_t>(high - low));
    for (long long d = low; d < high; ++d) {
        long long s = axis.SourceOf(d);
        map[static_cast<std::size_t>(d - low)] =
            s >= sourceLow && s < sourceHigh ? static_cast<int>(s) : Outside;
    }
    return true;
}

template <class Op>
void Run(const Plan& plan, Canvas& dest, Op op) {
    auto width = static_cast<int>(plan.Columns.size());
    for (std::size_t row = 0; row < plan.Rows.size(); ++row) {
        int sy = plan.Rows[row];
        if (sy == Outside)
            continue;
        int y = plan.FirstY + static_cast<int>(row);
        const std::uint32_t* source =
            plan.Source + static_cast<std::size_t>(sy) * plan.SourceStride;
        std::uint32_t* target = &dest.Pixels->At(0, y);
        int written = 0;
        int left = 0;
        int right = 0;
        for (int i = 0; i < width; ++i) {
            int sx = plan.Columns[static_cast<std::size_t>(i)];
            int x = plan.FirstX + i;
            if (sx == Outside || (dest.CheckCovered && !dest.Client->Visible(x, y)))
                continue;
            target[x] = op(plan.Pattern, source[sx], target[x]) & PixelMask;
            if (written++ == 0)
                left = x;
            right = x + 1;
        }
        if (written)
            dest.Touch(RECT{left, y, right, y + 1});
    }
}

// Selects bitwise: where c is set, a; elsewhere b.
constexpr std::uint32_t Choose(std::uint32_t c, std::uint32_t a, std::uint32_t b) {
    return (c & a) | (~c & b);
}

void Apply(std::uint32_t index, const Plan& plan, Canvas& dest) {
    using U = std::uint32_t;
    switch (index) {
    case 0xCC: // SRCCOPY
        return Run(plan, dest, [](U, U s, U) { return s; });
    case 0xEE: // SRCPAINT
        return Run(plan, dest, [](U, U s, U d) { return s | d; });
    case 0x88: // SRCAND
        return Run(plan, dest, [](U, U s, U d) { return s & d; });
    case 0x66: // SRCINVERT
        return Run(plan, dest, [](U, U s, U d) { return s ^ d; });
    case 0x22: // DSna
        return Run(plan, dest, [](U, U s, U d) { return d & ~s; });
    case 0xEA: // DPSao
        return Run(plan, dest, [](U p, U s, U d) { return (p & s) | d; });
    case 0xF0: // PATCOPY
        return Run(plan, dest, [](U p, U, U) { return p; });
    case 0x5A: // PATINVERT
        return Run(plan, dest, [](U p, U, U d) { return p ^ d; });
    case 0x55: // DSTINVERT
        return Run(plan, dest, [](U, U, U d) { return ~d; });
    case 0x33: // NOTSRCCOPY
        return Run(plan, dest, [](U, U s, U) { return ~s; });
    case 0x00: // BLACKNESS
        return Run(plan, dest, [](U, U, U) { return 0u; });
    case 0xFF: // WHITENESS
        return Run(plan, dest, [](U, U, U) { return ~0u; });
    default:
        break;
    }
    // Entry k of the table, spread over every bit.
    U t[8];
    for (int k = 0; k < 8; ++k)
        t[k] = (index >> k) & 1 ? ~0u : 0u;
    Run(plan, dest, [&t](U p, U s, U d) {
        return Choose(p, Choose(s, Choose(d, t[7], t[6]), Choose(d, t[5], t[4])),
                      Choose(s, Choose(d, t[3], t[2]), Choose(d, t[1], t[0])));
    });
}

constexpr bool UsesSource(std::uint32_t index) {
    return ((index >> 2) ^ index) & 0x33;
}

// The source pixels that will be read, copied out of a surface that is also
// the destination; the plan is changed to read the copy. False when nothing
// will be read.
bool ReadFromCopy(Plan& plan, Surface& surface, std::vector<std::uint32_t>& copy) {
    auto span = [](const std::vector<int>& map) {
        int low = Outside;
        int high = Outside;
        for (int s : map) {
            if (s == Outside)
                continue;
            low = low == Outside ? s : std::min(low, s);
            high = std::max(high, s);
        }
        return std::pair{low, high};
    };
    auto [left, right] = span(plan.Columns);
    auto [top, bottom] = span(plan.Rows);
    if (left == Outside || top == Outside)
        return false;
    auto width = static_cast<std::size_t>(right - left + 1);
    copy.resize(width * static_cast<std::size_t>(bottom - top + 1));
    for (int y = top; y <= bottom; ++y) {
        const std::uint32_t* from = &surface.At(left, y);
        std::copy(from, from + width, copy.data() + width * static_cast<std::size_t>(y - top));
    }
    for (int& s : plan.Columns)
        s = s == Outside ? Outside : s - left;
    for (int& s : plan.Rows)
        s = s == Outside ? Outside : s - top;
    plan.Source = copy.data();
    plan.SourceStride = width;
    return true;
}

BOOL Transfer(HDC hdcDest, Axis across, Axis down, HDC hdcSrc, DWORD rop) {
    std::uint32_t index = (rop >> 16) & 0xFF;
    bool usesSource = UsesSource(index);
    GdiRef<DeviceContext> dest(hdcDest, GdiKind::DeviceContext);
    if (!dest)
        return FALSE;
    std::optional<GdiRef<DeviceContext>> source;
    if (usesSource) {
        source.emplace(hdcSrc, GdiKind::DeviceContext);
        if (!*source)
            return FALSE;
    }
    auto refused = [&](const Axis& axis) {
        if (axis.DestSize < 0 || (usesSource && axis.SourceSize < 0))
            return true;
        return axis.Stretch && (axis.DestSize >= CoordinateLimit ||
                                (usesSource && axis.SourceSize >= CoordinateLimit));
    };
    if (refused(across) || refused(down)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!usesSource) {
        // Every destination pixel reads one zero pixel, which the operation
        // ignores: a one-pixel source stretched over the whole destination.
        across = {across.DestStart, across.DestSize, 0, 1, true};
        down = {down.DestStart, down.DestSize, 0, 1, true};
    }
    if (across.DestSize == 0 || down.DestSize == 0 ||
        (usesSource && (across.SourceSize == 0 || down.SourceSize == 0)))
        return TRUE;

    DrawSession session(*dest, usesSource ? &**source : nullptr);
    Canvas& target = session.Dest;
    RECT sourceArea = usesSource ? session.Source.Area : RECT{0, 0, 1, 1};
    Plan plan;
    if (!target.Writable ||
        !MapAxis(across, target.Clip.left, target.Clip.right, sourceArea.left, sourceArea.right,
                 plan.FirstX, plan.Columns) ||
        !MapAxis(down, target.Clip.top, target.Clip.bottom, sourceArea.top, sourceArea.bottom,
                 plan.FirstY, plan.Rows))
        return TRUE;

    // Copying black onto black changes nothing: a window's first paint from
    // a back buffer that nothing has drawn on yet.
    if (index == 0xCC && session.Source.Pixels->Pixels.Black() && target.Pixels->Pixels.Black()) {
        target.Touch(RECT{plan.FirstX, plan.FirstY,
                          plan.FirstX + static_cast<int>(plan.Columns.size()),
                          plan.FirstY + static_cast<int>(plan.Rows.size())});
        return TRUE;
    }
    static constexpr std::uint32_t Zero = 0;
    std::vector<std::uint32_t> copy;
    if (!usesSource) {
        plan.Source = &Zero;
    } else if (session.Source.Pixels == target.Pixels) {
        if (!ReadFromCopy(plan, *target.Pixels, copy))
            return TRUE;
    } else {
        plan.Source = session.Source.Pixels->Pixels.data();
        plan.SourceStride = static_cast<std::size_t>(session.Source.Pixels->Width);
    }
    const BrushObject& brush = *dest->Brush;
    // A hollow brush gives a black pattern.
    plan.Pattern = brush.Paints() ? brush.Pixel : 0;
    Apply(index, plan, target);
    return TRUE;
}

} // namespace
} // namespace WinApi

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return WinApi::Transfer(hdc, {x, cx, x1, cx, false}, {y, cy, y1, cy, false}, hdcSrc, rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    return WinApi::Transfer(hdcDest, {xDest, wDest, xSrc, wSrc, true},
                            {yDest, hDest, ySrc, hSrc, true}, hdcSrc, rop);
}
