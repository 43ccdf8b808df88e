// The operation table: one replaceable drawing operation per primitive.
//
// Every drawing request, from the program and from the kernel's own composite
// operations, goes through these slots; a slot is read at each call and never
// cached, so a slot replaced by SetGraphMode takes effect at the next call.
// DefaultHooks fills the slots with the kernel's device-independent defaults;
// a mode's record replaces some of them with the display driver's primitives.
#pragma once

#include "runtime/ShortString.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace Graph {

using ShortString = Runtime::ShortString<255>;

// Coordinates are viewport-relative unless the name says direct (screen).
using PutPixelProc = void (*)(std::int16_t x, std::int16_t y, std::uint16_t color);
using DirectPutPixelProc = void (*)(std::int16_t x, std::int16_t y);
using GetPixelProc = std::uint16_t (*)(std::int16_t x, std::int16_t y);
using SetRGBPaletteProc = void (*)(std::int16_t colorNum, std::int16_t red, std::int16_t green,
                                   std::int16_t blue);
using GetRGBPaletteProc = void (*)(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                                   std::int16_t& blue);
using SetPageProc = void (*)(std::uint16_t page);
using ClearViewPortProc = void (*)();
using PutImageProc = void (*)(std::int16_t x, std::int16_t y, const void* bitmap,
                              std::uint16_t putMode);
using GetImageProc = void (*)(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                              void* bitmap);
using ImageSizeProc = std::int32_t (*)(std::int16_t x1, std::int16_t y1, std::int16_t x2,
                                       std::int16_t y2);
using GetScanLineProc = void (*)(std::int16_t x1, std::int16_t x2, std::int16_t y,
                                 std::uint16_t* data);
using LineProc = void (*)(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
using PatternLineProc = void (*)(std::int16_t x1, std::int16_t x2, std::int16_t y);
using InternalEllipseProc = void (*)(std::int16_t x, std::int16_t y, std::uint16_t xRadius,
                                     std::uint16_t yRadius, std::uint16_t startAngle,
                                     std::uint16_t endAngle, PatternLineProc fill);
using HLineProc = void (*)(std::int16_t x, std::int16_t x2, std::int16_t y);
using VLineProc = void (*)(std::int16_t x, std::int16_t y, std::int16_t y2);
using OutTextXYProc = void (*)(std::int16_t x, std::int16_t y, const ShortString& text);
using CircleProc = void (*)(std::int16_t x, std::int16_t y, std::uint16_t radius);
using InitModeProcType = void (*)();
using VideoStateProc = void (*)();
// The two memory slots; no operation of this system calls them.
using GraphGetMemProc = void (*)(void*& block, std::uint32_t size);
using GraphFreeMemProc = void (*)(void*& block, std::uint32_t size);
// A message hook has the window procedure's form.
using MessageHandlerProc = WNDPROC;

extern PutPixelProc PutPixel;
extern DirectPutPixelProc DirectPutPixel;
extern GetPixelProc GetPixel;
extern SetRGBPaletteProc SetRGBPalette;
extern GetRGBPaletteProc GetRGBPalette;
extern SetPageProc SetVisualPage;
extern SetPageProc SetActivePage;
extern ClearViewPortProc ClearViewPort;
extern PutImageProc PutImage;
extern GetImageProc GetImage;
extern ImageSizeProc ImageSize;
extern GetScanLineProc GetScanLine;
extern LineProc Line;
extern InternalEllipseProc InternalEllipse;
extern PatternLineProc PatternLine;
extern HLineProc HLine;
extern VLineProc VLine;
extern OutTextXYProc OutTextXY;
extern CircleProc Circle;
extern GraphGetMemProc GraphGetMemPtr;
extern GraphFreeMemProc GraphFreeMemPtr;

// Slots outside DefaultHooks.
extern VideoStateProc SaveVideoState;
extern VideoStateProc RestoreVideoState;
// The program may set or empty the message hooks at any time while the graph
// window's message thread calls them: each is read and written whole.
extern std::atomic<MessageHandlerProc> CharMessageHandler;
extern std::atomic<MessageHandlerProc> MouseMessageHandler;

// Puts every default into its slot and empties the two memory slots; leaves
// the video-state operations and the message hooks alone.
void DefaultHooks();

// Writes "Error: Not in graphics mode ..." to StdErr and halts with exit code
// 1, or, when that line could not be written, raises the pending I/O error as
// a run-time error.
[[noreturn]] void NotInGraphicsReport();

// The reporting defaults: each writes the not-in-graphics line to StdErr and
// halts with exit code 1; none returns.
void DirectPutPixelDefault(std::int16_t x, std::int16_t y);
void PutPixelDefault(std::int16_t x, std::int16_t y, std::uint16_t color);
std::uint16_t GetPixelDefault(std::int16_t x, std::int16_t y);
void SetRGBPaletteDefault(std::int16_t colorNum, std::int16_t red, std::int16_t green,
                          std::int16_t blue);
void GetRGBPaletteDefault(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                          std::int16_t& blue);
void SetActivePageDefault(std::uint16_t page);
void SetVisualPageDefault(std::uint16_t page);

// The fill operation that fills nothing.
void DummyPatternLine(std::int16_t x1, std::int16_t x2, std::int16_t y);

} // namespace Graph
