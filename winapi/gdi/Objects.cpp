// Bitmaps, pens, brushes and regions: creation, stock objects, deletion and
// their descriptions.
//
// Every bitmap is 32-bit colour, whatever context it is made compatible
// with: Windows would make a monochrome bitmap for a memory context that
// still holds its 1 × 1 default bitmap, but nothing here draws in two colours,
// and one pixel format keeps every transfer a plain copy.
//
// Pens keep their style and width: a null pen draws nothing, every other
// style draws solid, and a pen wider than one pixel draws lines as a square
// of that side moved along the line and rectangle outlines inside the frame.
#include "gdi/GdiObjects.h"
#include "gdi/TestRefusals.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace WinApi {
namespace {

// Bitmaps are limited to 32767 pixels a side and 256 MiB of pixels.
constexpr int MaxBitmapSide = 0x7FFF;
constexpr long long MaxBitmapPixels = 1LL << 26;

std::atomic<std::uint64_t> BitmapCount{0};

HGDIOBJ InsertStock(std::shared_ptr<GdiObject> object) {
    object->Stock = true;
    return InsertGdiObject(std::move(object));
}

StockObjects* MakeStock() {
    auto* stock = new StockObjects;
    auto brush = [&](int id, COLORREF color, UINT style = BS_SOLID) {
        auto object = std::make_shared<BrushObject>(style, color);
        stock->Handles[id] = InsertStock(object);
        return object;
    };
    auto pen = [&](int id, COLORREF color, int style = PS_SOLID) {
        auto object = std::make_shared<PenObject>(style, 1, color);
        stock->Handles[id] = InsertStock(object);
        return object;
    };
    stock->WhiteBrush = brush(WHITE_BRUSH, RGB(255, 255, 255));
    brush(LTGRAY_BRUSH, RGB(192, 192, 192));
    brush(GRAY_BRUSH, RGB(128, 128, 128));
    brush(DKGRAY_BRUSH, RGB(64, 64, 64));
    brush(BLACK_BRUSH, RGB(0, 0, 0));
    brush(NULL_BRUSH, RGB(0, 0, 0), BS_NULL);
    pen(WHITE_PEN, RGB(255, 255, 255));
    stock->BlackPen = pen(BLACK_PEN, RGB(0, 0, 0));
    pen(NULL_PEN, RGB(0, 0, 0), PS_NULL);
    stock->Bitmap = std::make_shared<BitmapObject>(1, 1);
    stock->BitmapHandle = InsertStock(stock->Bitmap);
    return stock;
}

int CopyOut(const void* description, int size, int bufferSize, void* buffer) {
    if (!buffer)
        return size;
    int copied = std::min(size, bufferSize);
    if (copied <= 0)
        return 0;
    std::memcpy(buffer, description, static_cast<size_t>(copied));
    return copied;
}

} // namespace

std::uint64_t BitmapsCreated() {
    return BitmapCount.load(std::memory_order_relaxed);
}

const StockObjects& Stock() {
    // Never destroyed, like the handle table that names its objects.
    static const StockObjects* stock = MakeStock();
    return *stock;
}

std::shared_ptr<DeviceContext> NewDeviceContext() {
    const StockObjects& stock = Stock();
    auto dc = std::make_shared<DeviceContext>();
    dc->Pen = stock.BlackPen;
    dc->PenHandle = stock.Handles[BLACK_PEN];
    dc->Brush = stock.WhiteBrush;
    dc->BrushHandle = stock.Handles[WHITE_BRUSH];
    dc->Bitmap = stock.Bitmap;
    dc->BitmapHandle = stock.BitmapHandle;
    return dc;
}

} // namespace WinApi

using namespace WinApi;

HGDIOBJ WINAPI GetStockObject(int i) {
    if (i < 0 || i > NULL_PEN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Stock().Handles[static_cast<size_t>(i)];
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return nullptr;
    if (cx < 0 || cy < 0 || cx > MaxBitmapSide || cy > MaxBitmapSide ||
        static_cast<long long>(cx) * cy > MaxBitmapPixels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // As on Windows, an empty size gives the 1 × 1 stock bitmap.
    if (cx == 0 || cy == 0)
        return static_cast<HBITMAP>(Stock().BitmapHandle);
    if (WinApi::TestRefusals::Bitmaps.load()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::shared_ptr<BitmapObject> bitmap;
    try {
        bitmap = std::make_shared<BitmapObject>(cx, cy);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HBITMAP handle = static_cast<HBITMAP>(InsertGdiObject(std::move(bitmap)));
    if (handle)
        BitmapCount.fetch_add(1, std::memory_order_relaxed);
    return handle;
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    // PS_USERSTYLE (7) and PS_ALTERNATE (8) are accepted and drawn solid.
    int style = iStyle & PS_STYLE_MASK;
    if (style > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int width = std::max(cWidth, 1);
    return static_cast<HPEN>(InsertGdiObject(std::make_shared<PenObject>(style, width, color)));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(InsertGdiObject(std::make_shared<BrushObject>(BS_SOLID, color)));
}

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
    RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    if (IsEmpty(box))
        box = {0, 0, 0, 0};
    return static_cast<HRGN>(InsertGdiObject(std::make_shared<RegionObject>(box)));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiKind kind = KindOfHandle(ho);
    if (kind == GdiKind::DeviceContext) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool stock = false;
    {
        GdiRef<GdiObject> object(ho, kind);
        if (!object)
            return FALSE;
        stock = object->Stock;
    }
    if (stock)
        return TRUE;
    return RemoveGdiObject(ho, kind) ? TRUE : FALSE;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    GdiKind kind = KindOfHandle(h);
    switch (kind) {
    case GdiKind::Bitmap: {
        GdiRef<BitmapObject> bitmap(h, kind);
        if (!bitmap)
            return 0;
        BITMAP description{
            0,      bitmap->Pixels.Width, bitmap->Pixels.Height, bitmap->Pixels.Width * 4, 1, 32,
            nullptr};
        return CopyOut(&description, sizeof description, c, pv);
    }
    case GdiKind::Pen: {
        GdiRef<PenObject> pen(h, kind);
        if (!pen)
            return 0;
        LOGPEN description{static_cast<UINT>(pen->Style), {pen->Width, 0}, pen->Color};
        return CopyOut(&description, sizeof description, c, pv);
    }
    case GdiKind::Brush: {
        GdiRef<BrushObject> brush(h, kind);
        if (!brush)
            return 0;
        LOGBRUSH description{brush->Style, brush->Color, 0};
        return CopyOut(&description, sizeof description, c, pv);
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
}
