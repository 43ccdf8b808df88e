// Device contexts on a window's client surface: covered parts, the dirty
// area, waking the desktop, and the surface's lock that every drawing call
// takes. (Clip regions on a window are cut through the driver's text.)
#include "gdi/WindowDC.h"
#include "tests/support/LockWaiter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

namespace {

const HWND Window = reinterpret_cast<HWND>(std::uintptr_t{0x100});
using Edges = std::array<LONG, 4>;

class GdiWindowDC : public testing::Test {
protected:
    void SetUp() override {
        Surface->Wake = [this] {
            // The desktop must be woken without the surface's lock held.
            if (Surface->Lock.try_lock())
                Surface->Lock.unlock();
            else
                ++WakesUnderLock;
            ++Wakes;
        };
    }
    void TearDown() override { WinApi::ReleaseWindowDC(Window, Dc); }

    Edges Dirty() {
        std::lock_guard guard(Surface->Lock);
        const RECT& r = Surface->Dirty;
        return {r.left, r.top, r.right, r.bottom};
    }

    std::shared_ptr<WinApi::ClientSurface> Surface =
        std::make_shared<WinApi::ClientSurface>(32, 16, 0);
    HDC Dc = WinApi::CreateWindowDC(Window, Surface, nullptr);
    std::atomic<int> Wakes{0};
    std::atomic<int> WakesUnderLock{0};
};

TEST_F(GdiWindowDC, CoveredPartsAreLeftUntouched) {
    Surface->Covered = {{0, 0, 8, 8}, {20, 10, 32, 16}};
    EXPECT_FALSE(SetPixelV(Dc, 3, 3, RGB(255, 0, 0)));
    EXPECT_EQ(GetPixel(Dc, 3, 3), CLR_INVALID);
    // Each call alone would whiten some covered pixel if it ignored them.
    SelectObject(Dc, GetStockObject(WHITE_PEN));
    SelectObject(Dc, GetStockObject(WHITE_BRUSH));
    Rectangle(Dc, 0, 0, 32, 16);
    MoveToEx(Dc, 0, 0, nullptr);
    LineTo(Dc, 16, 16);
    BitBlt(Dc, 0, 0, 32, 16, nullptr, 0, 0, PATCOPY);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(Surface->At(x, y) == 0, (x < 8 && y < 8) || (x >= 20 && y >= 10))
                << x << "," << y;
}

TEST_F(GdiWindowDC, DirtyGrowsAndWakeComesOncePerEmptySpell) {
    EXPECT_FALSE(SetPixelV(Dc, 40, 3, RGB(1, 1, 1)));
    EXPECT_EQ(Dirty(), (Edges{0, 0, 0, 0}));
    SetPixelV(Dc, 3, 4, RGB(1, 1, 1));
    EXPECT_EQ(Dirty(), (Edges{3, 4, 4, 5}));
    SetPixelV(Dc, 10, 12, RGB(1, 1, 1));
    MoveToEx(Dc, 1, 6, nullptr);
    LineTo(Dc, 5, 6);
    EXPECT_EQ(Dirty(), (Edges{1, 4, 11, 13}));
    EXPECT_EQ(Wakes, 1);
    {
        std::lock_guard guard(Surface->Lock); // the desktop presents
        Surface->Dirty = {0, 0, 0, 0};
    }
    BitBlt(Dc, 30, 14, 5, 5, nullptr, 0, 0, WHITENESS);
    EXPECT_EQ(Dirty(), (Edges{30, 14, 32, 16}));
    EXPECT_EQ(Wakes, 2);
    EXPECT_EQ(WakesUnderLock, 0);
}

// The desktop reads the surface under its lock on another thread: every
// kind of drawing on the window, or reading from it, waits while it is held.
TEST_F(GdiWindowDC, EveryDrawingCallWaitsForTheSurfaceLock) {
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(memory, 4, 4);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const struct {
        const char* Name;
        std::function<void()> Draw;
    } calls[] = {
        {"SetPixelV", [&] { SetPixelV(Dc, 1, 1, RGB(9, 9, 9)); }},
        {"GetPixel", [&] { GetPixel(Dc, 1, 1); }},
        {"LineTo", [&] { LineTo(Dc, 9, 9); }},
        {"Rectangle", [&] { Rectangle(Dc, 0, 0, 5, 5); }},
        {"BitBlt onto the window", [&] { BitBlt(Dc, 0, 0, 4, 4, memory, 0, 0, SRCCOPY); }},
        {"BitBlt from the window", [&] { BitBlt(memory, 0, 0, 4, 4, Dc, 0, 0, SRCCOPY); }},
    };
    for (const auto& call : calls) {
        Surface->Lock.lock();
        TestSupport::LockWaiter drawing(call.Draw);
        EXPECT_TRUE(drawing.WaitsOn(&Surface->Lock, sizeof Surface->Lock)) << call.Name;
        Surface->Lock.unlock();
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

} // namespace
