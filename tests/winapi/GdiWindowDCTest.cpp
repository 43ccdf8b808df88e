// Device contexts on a window's client surface: covered parts, the paint
// clip, the dirty area, waking the desktop, and drawing while the desktop
// reads the surface on another thread.
#include "gdi/WindowDC.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

const HWND Window = reinterpret_cast<HWND>(std::uintptr_t{0x100});

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class GdiWindowDC : public testing::Test {
protected:
    void SetUp() override {
        Surface->Wake = [this] {
            // The desktop is woken without the surface's Lock held.
            if (Surface->Lock.try_lock())
                Surface->Lock.unlock();
            else
                ++WakesUnderLock;
            ++Wakes;
        };
        ASSERT_NE(Dc, nullptr);
    }
    void TearDown() override { WinApi::ReleaseWindowDC(Window, Dc); }

    RECT Dirty() {
        std::lock_guard guard(Surface->Lock);
        return Surface->Dirty;
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
    EXPECT_TRUE(SameRect(Dirty(), {0, 0, 0, 0}));
    SetPixelV(Dc, 3, 4, RGB(1, 1, 1));
    EXPECT_TRUE(SameRect(Dirty(), {3, 4, 4, 5}));
    SetPixelV(Dc, 10, 12, RGB(1, 1, 1));
    MoveToEx(Dc, 1, 6, nullptr);
    LineTo(Dc, 5, 6);
    EXPECT_TRUE(SameRect(Dirty(), {1, 4, 11, 13}));
    EXPECT_EQ(Wakes, 1);
    {
        std::lock_guard guard(Surface->Lock); // the desktop presents
        Surface->Dirty = {0, 0, 0, 0};
    }
    BitBlt(Dc, 30, 14, 5, 5, nullptr, 0, 0, WHITENESS);
    EXPECT_TRUE(SameRect(Dirty(), {30, 14, 32, 16}));
    EXPECT_EQ(Wakes, 2);
    EXPECT_EQ(WakesUnderLock, 0);
}

TEST_F(GdiWindowDC, PaintClipAndClipRegionBothLimitDrawing) {
    RECT paint{4, 4, 8, 8};
    HDC painting = WinApi::CreateWindowDC(Window, Surface, &paint);
    EXPECT_FALSE(SetPixelV(painting, 3, 4, RGB(1, 1, 1)));
    HRGN wider = CreateRectRgn(0, 0, 6, 32);
    SelectClipRgn(painting, wider);
    DeleteObject(wider);
    BitBlt(painting, 0, 0, 32, 16, nullptr, 0, 0, WHITENESS);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(Surface->At(x, y) != 0, x >= 4 && x < 6 && y >= 4 && y < 8);
    EXPECT_TRUE(WinApi::ReleaseWindowDC(Window, painting));
    EXPECT_FALSE(SetPixelV(painting, 5, 5, RGB(1, 1, 1)));
}

TEST_F(GdiWindowDC, ReleasedOnlyByItsOwnWindowAndHoldsNoBitmap) {
    EXPECT_FALSE(DeleteDC(Dc));
    EXPECT_FALSE(WinApi::ReleaseWindowDC(reinterpret_cast<HWND>(std::uintptr_t{0x200}), Dc));
    HDC memory = CreateCompatibleDC(Dc);
    EXPECT_FALSE(WinApi::ReleaseWindowDC(Window, memory));
    HBITMAP bitmap = CreateCompatibleBitmap(Dc, 4, 4);
    EXPECT_EQ(SelectObject(Dc, bitmap), nullptr);
    // The window's context copies to and from a compatible back buffer.
    SelectObject(memory, bitmap);
    SetPixelV(memory, 2, 3, RGB(10, 20, 30));
    ASSERT_TRUE(BitBlt(Dc, 0, 0, 4, 4, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(Surface->At(2, 3), 0x0A141Eu);
    DeleteDC(memory);
    DeleteObject(bitmap);
    EXPECT_TRUE(SetPixelV(Dc, 1, 1, RGB(1, 1, 1)));
}

TEST_F(GdiWindowDC, FollowsTheSurfaceThroughResizeAndOutlivesItsOwner) {
    {
        std::lock_guard guard(Surface->Lock);
        Surface->Resize(64, 40, 0);
    }
    EXPECT_TRUE(SetPixelV(Dc, 60, 35, RGB(0, 0, 255)));
    auto* raw = Surface.get();
    Surface.reset();
    EXPECT_TRUE(SetPixelV(Dc, 61, 35, RGB(0, 0, 255)));
    EXPECT_EQ(raw->At(60, 35), 0x0000FFu);
    EXPECT_EQ(raw->At(61, 35), 0x0000FFu);
}

TEST_F(GdiWindowDC, DrawingWhileTheDesktopReadsUnderTheLock) {
    std::atomic<bool> done{false};
    std::atomic<int> passes{0};
    std::atomic<std::uint64_t> presented{0};
    std::thread desktop([&] {
        while (!done) {
            std::lock_guard guard(Surface->Lock);
            std::uint64_t sum = 0;
            for (std::uint32_t pixel : Surface->Pixels)
                sum += pixel;
            Surface->Dirty = {0, 0, 0, 0};
            presented = sum;
            ++passes;
        }
    });
    HDC memory = CreateCompatibleDC(Dc);
    HBITMAP glyph = CreateCompatibleBitmap(Dc, 8, 8);
    HGDIOBJ old = SelectObject(memory, glyph);
    for (int i = 0; i < 8; ++i)
        SetPixelV(memory, i, i, RGB(255, 255, 255));
    // Draw until the desktop has surely read the surface in between.
    int round = 0;
    for (; round < 200 || passes < 100; ++round) {
        for (int x = 0; x < 32; ++x)
            SetPixelV(Dc, x, round % 16, RGB(round & 0xFF, x, 7));
        MoveToEx(Dc, 0, 0, nullptr);
        LineTo(Dc, 31, 15);
        BitBlt(Dc, round % 24, 4, 8, 8, memory, 0, 0, SRCPAINT);
    }
    done = true;
    desktop.join();
    int last = round - 1;
    EXPECT_EQ(GetPixel(Dc, 31, last % 16), RGB(last & 0xFF, 31, 7));
    SelectObject(memory, old);
    DeleteObject(glyph);
    DeleteDC(memory);
}

} // namespace
