// Device contexts: memory and window contexts, selecting objects and clip
// regions into them, and the current position.
//
// A context keeps its own references to the objects selected into it, so a
// pen, brush or bitmap deleted while selected goes on serving that context
// until something else is selected; its handle is dead at once. A bitmap can
// be selected into one context at a time (the stock bitmap excepted), as on
// Windows; selecting it into a second one fails.
#include "gdi/GdiObjects.h"
#include "gdi/WindowDC.h"

#include <mutex>
#include <optional>
#include <utility>

namespace WinApi {
namespace {

HGDIOBJ SelectBitmap(DeviceContext& dc, HGDIOBJ handle) {
    GdiRef<BitmapObject> bitmap(handle, GdiKind::Bitmap);
    if (!bitmap)
        return nullptr;
    if (dc.IsWindow) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard guard(dc.Lock);
    if (dc.Bitmap.get() == &*bitmap)
        return handle;
    bool free = false;
    if (!bitmap->Stock && !bitmap->Selected.compare_exchange_strong(free, true)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!dc.Bitmap->Stock)
        dc.Bitmap->Selected.store(false);
    dc.Bitmap = bitmap.Share();
    return std::exchange(dc.BitmapHandle, handle);
}

template <class T>
HGDIOBJ SelectTool(DeviceContext& dc, HGDIOBJ handle, GdiKind kind, std::shared_ptr<T>& tool,
                   HGDIOBJ& toolHandle) {
    GdiRef<T> object(handle, kind);
    if (!object)
        return nullptr;
    std::lock_guard guard(dc.Lock);
    tool = object.Share();
    return std::exchange(toolHandle, handle);
}

} // namespace

HDC CreateWindowDC(HWND window, std::shared_ptr<ClientSurface> surface, const RECT* clip) {
    std::shared_ptr<DeviceContext> dc = NewDeviceContext();
    dc->IsWindow = true;
    dc->Window = window;
    dc->Client = std::move(surface);
    dc->Bitmap.reset();
    dc->BitmapHandle = nullptr;
    if (clip) {
        dc->HasPaintClip = true;
        dc->PaintClip = *clip;
    }
    return static_cast<HDC>(InsertGdiObject(std::move(dc)));
}

bool ReleaseWindowDC(HWND window, HDC dc) {
    {
        GdiRef<DeviceContext> context(dc, GdiKind::DeviceContext);
        if (!context)
            return false;
        if (!context->IsWindow || context->Window != window) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
    }
    return RemoveGdiObject(dc, GdiKind::DeviceContext);
}

} // namespace WinApi

using namespace WinApi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc) {
        GdiRef<DeviceContext> model(hdc, GdiKind::DeviceContext);
        if (!model)
            return nullptr;
    }
    return static_cast<HDC>(InsertGdiObject(NewDeviceContext()));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    {
        GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
        if (!dc)
            return FALSE;
        // A window's context goes back with ReleaseDC or EndPaint.
        if (dc->IsWindow) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    return RemoveGdiObject(hdc, GdiKind::DeviceContext) ? TRUE : FALSE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return nullptr;
    switch (KindOfHandle(h)) {
    case GdiKind::Bitmap:
        return SelectBitmap(*dc, h);
    case GdiKind::Pen:
        return SelectTool(*dc, h, GdiKind::Pen, dc->Pen, dc->PenHandle);
    case GdiKind::Brush:
        return SelectTool(*dc, h, GdiKind::Brush, dc->Brush, dc->BrushHandle);
    case GdiKind::Region: {
        // As on Windows, selecting a region sets the clip and returns its type.
        int type = SelectClipRgn(hdc, static_cast<HRGN>(h));
        if (type == RGN_ERROR)
            return HGDI_ERROR;
        return reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(type));
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
}

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return RGN_ERROR;
    std::optional<GdiRef<RegionObject>> region;
    if (hrgn) {
        region.emplace(hrgn, GdiKind::Region);
        if (!*region)
            return RGN_ERROR;
    }
    // A window context's clip is also read under its surface's Lock alone, by
    // SetPixelV, so it changes under both.
    std::lock_guard guard(dc->Lock);
    std::unique_lock<BiasedLock> surfaceGuard;
    if (dc->Client)
        surfaceGuard = std::unique_lock(dc->Client->Lock);
    dc->HasClip = region.has_value();
    if (!region)
        return SIMPLEREGION;
    dc->Clip = (*region)->Box;
    return IsEmpty(dc->Clip) ? NULLREGION : SIMPLEREGION;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    GdiRef<DeviceContext> dc(hdc, GdiKind::DeviceContext);
    if (!dc)
        return FALSE;
    std::lock_guard guard(dc->Lock);
    if (lppt)
        *lppt = dc->Position;
    dc->Position = {x, y};
    return TRUE;
}
