// The console screen buffer model that both console backends keep: a grid
// of cells (character and attribute), the cursor and the current attributes,
// changed by the rules the Windows console follows for writing cells,
// scrolling, moving the cursor and processed text output.
//
// The model knows nothing of terminals. A backend that shows the buffer
// somewhere passes a ScreenView, which hears of every change right after the
// model made it, in order. The model takes no lock: its owner does.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace WinApi {

// An inclusive rectangle of cells in plain integers, so that sums of 16-bit
// coordinates cannot wrap while they are worked out.
struct CellRect {
    int Left = 0;
    int Top = 0;
    int Right = -1;
    int Bottom = -1;

    bool Empty() const { return Right < Left || Bottom < Top; }
    bool Contains(int x, int y) const { return x >= Left && x <= Right && y >= Top && y <= Bottom; }
};

CellRect Intersect(const CellRect& a, const CellRect& b);

// A scroll as it was applied: the source and clip rectangles already
// clipped to the buffer, and where the source's top-left cell went.
struct ScrollMove {
    CellRect Source;
    int ToX = 0;
    int ToY = 0;
    CellRect Clip;
};

class ScreenBuffer;

class ScreenView {
public:
    virtual void CellsChanged(const ScreenBuffer& screen, const CellRect& area) = 0;
    virtual void Scrolled(const ScreenBuffer& screen, const ScrollMove& move) = 0;
    virtual void Bell() = 0;

protected:
    ~ScreenView() = default;
};

class ScreenBuffer {
public:
    // The largest buffer the model keeps. A console window is no larger than
    // the screen it is on, and even a 4096-pixel-wide screen holds no more
    // than 1024 columns of the smallest (4 x 6 pixel) console font, nor a
    // 3072-pixel-high one more than 512 rows. A terminal that claims more
    // (one that says 65535 x 65535 would cost 16 GiB of cells) gets a buffer
    // of this size in its top-left corner: 2 MiB at most.
    static constexpr SHORT MaxWidth = 1024;
    static constexpr SHORT MaxHeight = 512;

    // The size is bounded by MaxWidth and MaxHeight.
    ScreenBuffer(SHORT width, SHORT height, ScreenView* view = nullptr);

    SHORT Width() const { return Columns; }
    SHORT Height() const { return Rows; }
    COORD Cursor() const { return CursorAt; }
    WORD Attributes() const { return CurrentAttributes; }
    void SetAttributes(WORD attributes) { CurrentAttributes = attributes; }
    const CHAR_INFO& At(int x, int y) const;
    CellRect Whole() const { return {0, 0, Columns - 1, Rows - 1}; }

    void Info(CONSOLE_SCREEN_BUFFER_INFO& info) const;
    // The four operations return ERROR_SUCCESS or the error of the failed
    // kernel32 call.
    DWORD Write(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin, SMALL_RECT& region);
    DWORD Scroll(const SMALL_RECT& source, const SMALL_RECT* clip, COORD destination,
                 const CHAR_INFO& fill);
    DWORD SetCursor(COORD position);
    void WriteText(const char* text, std::size_t length);

private:
    CHAR_INFO& CellAt(int x, int y);
    void Move(const CellRect& source, int toX, int toY, const CellRect& clip,
              const CHAR_INFO& fill);
    void PutGlyph(char glyph);
    void LineFeed();

    SHORT Columns;
    SHORT Rows;
    COORD CursorAt{0, 0};
    WORD CurrentAttributes = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
    ScreenView* View;
    std::vector<CHAR_INFO> Cells; // row by row
};

} // namespace WinApi
