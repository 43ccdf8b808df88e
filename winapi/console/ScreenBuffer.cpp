// The Windows console's rules for a screen buffer, applied to the model.
#include "console/ScreenBuffer.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace WinApi {
namespace {

constexpr int TabWidth = 8;

CHAR_INFO MakeCell(char glyph, WORD attributes) {
    CHAR_INFO cell{};
    cell.Char.AsciiChar = glyph;
    cell.Attributes = attributes;
    return cell;
}

CellRect FromSmallRect(const SMALL_RECT& rect) {
    return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

SHORT ToShort(int value) {
    assert(value >= -32768 && value <= 32767 && "a clipped coordinate fits in 16 bits");
    return static_cast<SHORT>(value);
}

} // namespace

CellRect Intersect(const CellRect& a, const CellRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

ScreenBuffer::ScreenBuffer(SHORT width, SHORT height, ScreenView* view)
    : Columns(std::min(width, MaxWidth)), Rows(std::min(height, MaxHeight)), View(view),
      Cells(static_cast<std::size_t>(Columns) * static_cast<std::size_t>(Rows),
            MakeCell(' ', CurrentAttributes)) {
    assert(width > 0 && height > 0 && "a screen buffer has at least one cell");
}

const CHAR_INFO& ScreenBuffer::At(int x, int y) const {
    assert(Whole().Contains(x, y) && "the cell lies in the buffer");
    return Cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(Columns) +
                 static_cast<std::size_t>(x)];
}

CHAR_INFO& ScreenBuffer::CellAt(int x, int y) {
    return const_cast<CHAR_INFO&>(std::as_const(*this).At(x, y));
}

void ScreenBuffer::Info(CONSOLE_SCREEN_BUFFER_INFO& info) const {
    info.dwSize = {Columns, Rows};
    info.dwCursorPosition = CursorAt;
    info.wAttributes = CurrentAttributes;
    // The whole buffer is the visible window.
    info.srWindow = {0, 0, ToShort(Columns - 1), ToShort(Rows - 1)};
    info.dwMaximumWindowSize = {Columns, Rows};
}

DWORD ScreenBuffer::Write(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin,
                          SMALL_RECT& region) {
    // The region takes cells from the caller's array starting at cellsOrigin,
    // so it is first cut to what the array holds from there, then to the
    // buffer; cutting its top-left corner moves the start in the array too.
    CellRect target = FromSmallRect(region);
    int fromX = cellsOrigin.X;
    int fromY = cellsOrigin.Y;
    bool originInArray = fromX >= 0 && fromY >= 0 && fromX < cellsSize.X && fromY < cellsSize.Y;
    target.Right = std::min(target.Right, target.Left + (cellsSize.X - fromX) - 1);
    target.Bottom = std::min(target.Bottom, target.Top + (cellsSize.Y - fromY) - 1);
    if (target.Left < 0) {
        fromX -= target.Left;
        target.Left = 0;
    }
    if (target.Top < 0) {
        fromY -= target.Top;
        target.Top = 0;
    }
    target = Intersect(target, Whole());
    if (!originInArray || target.Empty()) {
        // Nothing written: reported as a region that ends before it begins.
        region.Right = ToShort(region.Left - 1);
        region.Bottom = ToShort(region.Top - 1);
        return ERROR_SUCCESS;
    }
    for (int y = target.Top; y <= target.Bottom; ++y)
        for (int x = target.Left; x <= target.Right; ++x) {
            const CHAR_INFO& from = cells[static_cast<std::size_t>(fromY + y - target.Top) *
                                              static_cast<std::size_t>(cellsSize.X) +
                                          static_cast<std::size_t>(fromX + x - target.Left)];
            CellAt(x, y) = MakeCell(from.Char.AsciiChar, from.Attributes);
        }
    region = {ToShort(target.Left), ToShort(target.Top), ToShort(target.Right),
              ToShort(target.Bottom)};
    if (View)
        View->CellsChanged(*this, target);
    return ERROR_SUCCESS;
}

DWORD ScreenBuffer::Scroll(const SMALL_RECT& source, const SMALL_RECT* clip, COORD destination,
                           const CHAR_INFO& fill) {
    const CellRect asked = FromSmallRect(source);
    const CellRect moved = Intersect(asked, Whole());
    if (moved.Empty())
        return ERROR_INVALID_PARAMETER;
    // The destination belongs to the source's top-left corner as the caller
    // gave it; a source cut at the buffer's edge moves its destination along.
    const int toX = destination.X + (moved.Left - asked.Left);
    const int toY = destination.Y + (moved.Top - asked.Top);
    const CellRect limit = clip ? Intersect(FromSmallRect(*clip), Whole()) : Whole();
    if (limit.Empty())
        return ERROR_SUCCESS;
    Move(moved, toX, toY, limit, MakeCell(fill.Char.AsciiChar, fill.Attributes));
    return ERROR_SUCCESS;
}

void ScreenBuffer::Move(const CellRect& source, int toX, int toY, const CellRect& clip,
                        const CHAR_INFO& fill) {
    // The source is copied aside first, so source and destination may overlap.
    std::vector<CHAR_INFO> copy;
    copy.reserve(static_cast<std::size_t>(source.Right - source.Left + 1) *
                 static_cast<std::size_t>(source.Bottom - source.Top + 1));
    for (int y = source.Top; y <= source.Bottom; ++y)
        for (int x = source.Left; x <= source.Right; ++x)
            copy.push_back(At(x, y));
    // Source cells the destination does not cover keep the fill.
    for (int y = source.Top; y <= source.Bottom; ++y)
        for (int x = source.Left; x <= source.Right; ++x)
            if (clip.Contains(x, y))
                CellAt(x, y) = fill;
    auto from = copy.begin();
    for (int y = source.Top; y <= source.Bottom; ++y)
        for (int x = source.Left; x <= source.Right; ++x, ++from) {
            int targetX = toX + x - source.Left;
            int targetY = toY + y - source.Top;
            if (clip.Contains(targetX, targetY))
                CellAt(targetX, targetY) = *from;
        }
    if (View)
        View->Scrolled(*this, {source, toX, toY, clip});
}

DWORD ScreenBuffer::SetCursor(COORD position) {
    if (!Whole().Contains(position.X, position.Y))
        return ERROR_INVALID_PARAMETER;
    CursorAt = position;
    return ERROR_SUCCESS;
}

void ScreenBuffer::WriteText(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\a':
            if (View)
                View->Bell();
            break;
        case '\b':
            if (CursorAt.X > 0)
                --CursorAt.X;
            break;
        case '\r':
            CursorAt.X = 0;
            break;
        case '\n':
            CursorAt.X = 0;
            LineFeed();
            break;
        case '\t':
            // Blanks up to the next tab stop; a wrap to the next line ends
            // the tab there, at column 0.
            do
                PutGlyph(' ');
            while (CursorAt.X % TabWidth != 0);
            break;
        default:
            PutGlyph(text[i]);
            break;
        }
    }
}

void ScreenBuffer::PutGlyph(char glyph) {
    CellAt(CursorAt.X, CursorAt.Y) = MakeCell(glyph, CurrentAttributes);
    if (View)
        View->CellsChanged(*this, {CursorAt.X, CursorAt.Y, CursorAt.X, CursorAt.Y});
    if (CursorAt.X + 1 < Columns) {
        ++CursorAt.X;
        return;
    }
    CursorAt.X = 0;
    LineFeed();
}

void ScreenBuffer::LineFeed() {
    if (CursorAt.Y + 1 < Rows) {
        ++CursorAt.Y;
        return;
    }
    // At the bottom the whole buffer moves up a line; the new bottom line is
    // blank in the current attributes.
    Move(Whole(), 0, -1, Whole(), MakeCell(' ', CurrentAttributes));
}

} // namespace WinApi
