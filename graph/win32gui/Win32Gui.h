// The window display driver: each graphics mode is a top-level window owned
// by a message thread of its own, drawn directly and repainted from an
// off-screen bitmap (the back buffer).
//
// Two threads meet here. The thread that sets the mode draws: every drawing
// operation writes the back buffer (BitmapDC) and the window's device context
// (WinDC). The message thread creates the window, repaints damaged parts from
// the back buffer and destroys everything when the window closes. One
// re-entrant lock, GraphDrawing, serialises all use of the back buffer, the
// device contexts, the palette table, the pen cache and the glyph caches;
// GraphRunning, written only under that lock, says whether they exist. A
// drawing operation tests the flag and draws within one hold of the lock, so
// that nothing is drawn with an object that WM_DESTROY has released.
#pragma once

#include "graph/DefaultPalette.h"
#include "graph/DisplayDriver.h"
#include "graph/OperationTable.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace Win32Gui {

// The drawing thread's own: set before a mode is set (or, for the two
// targets, between drawing operations) and read by the message thread only
// once the mode's set-up has started it.
extern DWORD ExtraStyle;
extern bool DrawToBitmap;
extern bool DrawToScreen;
extern UINT GraphWindowStyle;
extern const char* WindowTitle;
extern std::uint16_t FPUCW;

// The start-up handshake: the drawing thread writes these while it starts or
// ends the message thread, which only signals GraphInit.
extern HANDLE MessageThreadHandle;
extern DWORD MessageThreadID;
extern bool MessageThreadHandleValid;
extern HANDLE GraphInit;

// The message thread's own: it registers the class and creates the window.
// A program may read MainWindow once graphics are open.
extern bool WinRegistered;
extern HWND MainWindow;

// Under GraphDrawing: the back buffer, the window's context, the palette
// table and the caches exist while GraphRunning is true; the message thread
// makes and releases them, the drawing thread draws with them. GraphRunning
// is written only under the lock; reading it without the lock is a hint that
// saves taking it (see WhileRunning). The palette table holds PalSize
// entries, from the mode's set-up until the window is destroyed.
extern CRITICAL_SECTION GraphDrawing;
extern std::atomic<bool> GraphRunning;
extern HDC BitmapDC;
extern HDC WinDC;
extern HBITMAP SavedScreen;
extern HBITMAP OldBitmap;
extern HPEN Pens[16];
extern HBITMAP BitmapFontHorizonCache[256];
extern HBITMAP BitmapFontVerticalCache[256];
extern std::unique_ptr<Graph::RGBEntry[]> Pal;
extern std::int32_t PalSize;

constexpr const char* GraphWindowClass = "KivoGraphWindow";

// The driver's entry points, which a program binds with BindDisplayDriver
// before the kernel starts (ModeTable.cpp).
extern const Graph::DisplayDriver Driver;
void QueryAdapterInfo();
void CloseDriver();

// Mode set-up and the window (GraphWindow.cpp, ModeTable.cpp).
void InitWin32GUI16Colors();
DWORD WINAPI MessageHandleThread(LPVOID parameter);
bool WinRegister();
HWND WinCreate();
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Drawing operations (Primitives.cpp).
void DirectPutPixel16Win32GUI(std::int16_t x, std::int16_t y);
void PutPixel16Win32GUI(std::int16_t x, std::int16_t y, std::uint16_t color);
std::uint16_t GetPixel16Win32GUI(std::int16_t x, std::int16_t y);
void HLine16Win32GUI(std::int16_t x1, std::int16_t x2, std::int16_t y);
void VLine16Win32GUI(std::int16_t x, std::int16_t y1, std::int16_t y2);
void SetRGBPaletteWin32GUI(std::int16_t colorNum, std::int16_t red, std::int16_t green,
                           std::int16_t blue);
void GetRGBPaletteWin32GUI(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                           std::int16_t& blue);
void SetVisualWin32GUI(std::uint16_t page);
void SetActiveWin32GUI(std::uint16_t page);
// The palette index nearest to a colour; called with GraphDrawing held.
std::uint16_t GetPaletteEntry(std::uint16_t red, std::uint16_t green, std::uint16_t blue);
// The RGB colour of a palette index; called with GraphDrawing held.
COLORREF PaletteColor(std::uint16_t color);

// Text and images (Text.cpp, Images.cpp).
void OutTextXYWin32GUI(std::int16_t x, std::int16_t y, const Graph::ShortString& text);
void PutImageWin32GUI(std::int16_t x, std::int16_t y, const void* bitmap, std::uint16_t mode);

// Holds GraphDrawing for a scope.
class DrawingLock {
public:
    DrawingLock() { EnterCriticalSection(&GraphDrawing); }
    ~DrawingLock() { LeaveCriticalSection(&GraphDrawing); }
    DrawingLock(const DrawingLock&) = delete;
    DrawingLock& operator=(const DrawingLock&) = delete;
};

// Runs draw within one hold of GraphDrawing if the window's objects exist;
// false when they do not and nothing ran. The flag is read before the lock
// too: after the user has closed the window drawing costs no lock, and after
// CloseGraph the lock itself is gone. It is read again within the hold,
// since the message thread may have released the objects meanwhile.
template <class Draw>
bool WhileRunning(Draw&& draw) {
    if (!GraphRunning)
        return false;
    DrawingLock hold;
    if (!GraphRunning)
        return false;
    draw();
    return true;
}

} // namespace Win32Gui
