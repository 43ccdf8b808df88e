// Drawing sessions: locking, the drawable area, and the dirty area of a
// window's client surface.
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <utility>

namespace WinApi {
namespace {

Canvas CanvasOf(DeviceContext& dc) {
    Canvas canvas;
    if (dc.IsWindow) {
        canvas.Client = dc.Client.get();
        canvas.Pixels = canvas.Client;
        canvas.Writable = canvas.Client != nullptr;
        canvas.CheckCovered = canvas.Client && !canvas.Client->Covered.empty();
    } else {
        canvas.Pixels = &dc.Bitmap->Pixels;
        canvas.Writable = !dc.Bitmap->Stock;
    }
    if (!canvas.Pixels)
        return canvas;
    canvas.Area = {0, 0, canvas.Pixels->Width, canvas.Pixels->Height};
    canvas.Clip = canvas.Area;
    if (dc.HasPaintClip)
        canvas.Clip = Intersect(canvas.Clip, dc.PaintClip);
    if (dc.HasClip)
        canvas.Clip = Intersect(canvas.Clip, dc.Clip);
    return canvas;
}

} // namespace

DeviceContext::~DeviceContext() {
    if (Bitmap && !Bitmap->Stock)
        Bitmap->Selected.store(false);
}

void DeviceContext::Retire() {
    const StockObjects& stock = WinApi::Stock();
    // What is given up is released after the lock, in case it is the last
    // reference.
    std::shared_ptr<BitmapObject> bitmap;
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::lock_guard guard(Lock);
    if (Bitmap && !Bitmap->Stock)
        Bitmap->Selected.store(false);
    if (Bitmap) {
        bitmap = std::exchange(Bitmap, stock.Bitmap);
        BitmapHandle = stock.BitmapHandle;
    }
    pen = std::exchange(Pen, stock.BlackPen);
    PenHandle = stock.Handles[BLACK_PEN];
    brush = std::exchange(Brush, stock.WhiteBrush);
    BrushHandle = stock.Handles[WHITE_BRUSH];
}

void Canvas::Touch(const RECT& area) {
    if (Client)
        Touched = Union(Touched, area);
}

void Canvas::Fill(RECT area, std::uint32_t pixel) {
    if (!Writable)
        return;
    area = Intersect(area, Clip);
    if (IsEmpty(area))
        return;
    if (pixel == 0 && Pixels->Pixels.Black()) {
        Touch(area);
        return;
    }
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = &Pixels->At(0, y);
        if (!CheckCovered) {
            std::fill(row + area.left, row + area.right, pixel);
            continue;
        }
        for (int x = area.left; x < area.right; ++x) {
            if (Client->Visible(x, y)) {
                row[x] = pixel;
                Touch(x, y);
            }
        }
    }
    if (!CheckCovered)
        Touch(area);
}

DrawSession::DrawSession(DeviceContext& dest, DeviceContext* source) {
    if (source && source != &dest) {
        DestContext = std::unique_lock(dest.Lock, std::defer_lock);
        SourceContext = std::unique_lock(source->Lock, std::defer_lock);
        std::lock(DestContext, SourceContext);
    } else {
        DestContext = std::unique_lock(dest.Lock);
    }
    ClientSurface* destClient = dest.IsWindow ? dest.Client.get() : nullptr;
    ClientSurface* sourceClient = source && source->IsWindow ? source->Client.get() : nullptr;
    if (destClient && sourceClient && destClient != sourceClient) {
        DestSurface = std::unique_lock(destClient->Lock, std::defer_lock);
        SourceSurface = std::unique_lock(sourceClient->Lock, std::defer_lock);
        std::lock(DestSurface, SourceSurface);
    } else if (destClient) {
        DestSurface = std::unique_lock(destClient->Lock);
    } else if (sourceClient) {
        SourceSurface = std::unique_lock(sourceClient->Lock);
    }
    Dest = CanvasOf(dest);
    if (source)
        Source = CanvasOf(*source);
}

DrawSession::~DrawSession() {
    // The window context holds its client surface, so it outlives the wake.
    ClientSurface* wake = nullptr;
    if (Dest.Client && !IsEmpty(Dest.Touched) && Dest.Client->MarkDirty(Dest.Touched))
        wake = Dest.Client;
    if (SourceSurface)
        SourceSurface.unlock();
    if (DestSurface)
        DestSurface.unlock();
    if (SourceContext)
        SourceContext.unlock();
    DestContext.unlock();
    if (wake && wake->Wake)
        wake->Wake();
}

} // namespace WinApi
