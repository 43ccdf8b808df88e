// GDI handles: refusal of stale, bogus and mistyped handles, also of a
// context that another thread has just cached (which gives its bitmap back
// at once when deleted).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <thread>

namespace {

TEST(GdiHandles, StaleBogusAndMistypedHandlesAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    ASSERT_TRUE(DeleteObject(pen));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(DeleteObject(pen));
    // Slots are reused, but a new object never answers to the old handle.
    for (int i = 0; i < 2000; ++i) {
        HPEN fresh = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        ASSERT_NE(fresh, pen);
        DeleteObject(fresh);
    }
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    auto renamed = reinterpret_cast<std::uintptr_t>(brush) ^ (std::uintptr_t{7} << 16);
    for (std::uintptr_t value : {std::uintptr_t{4}, ~std::uintptr_t{0}, renamed}) {
        EXPECT_FALSE(SetPixelV(reinterpret_cast<HDC>(value), 0, 0, 0)) << value;
        EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(value)), nullptr) << value;
    }
    EXPECT_FALSE(SetPixelV(reinterpret_cast<HDC>(brush), 0, 0, 0)); // not a context
    EXPECT_FALSE(DeleteObject(dc));                                 // a context goes with DeleteDC
    EXPECT_TRUE(DeleteObject(brush));
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_FALSE(LineTo(dc, 3, 3));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiFastPath, ContextCachedOnAnotherThreadIsRefusedOnceDeleted) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    ASSERT_NE(SelectObject(dc, bitmap), nullptr);
    BOOL before = FALSE, after = TRUE;
    COLORREF read = 0;
    // The drawer draws, waits while the context is deleted, then meets what
    // it left in its thread's cache.
    std::promise<void> drawn, deleted;
    std::thread drawer([&] {
        before = SetPixelV(dc, 1, 1, RGB(9, 8, 7));
        drawn.set_value();
        deleted.get_future().wait();
        after = SetPixelV(dc, 2, 2, RGB(1, 2, 3));
        read = GetPixel(dc, 1, 1);
    });
    drawn.get_future().wait();
    EXPECT_TRUE(DeleteDC(dc));
    // The drawer's cache still refers to the context, yet its bitmap is free.
    EXPECT_NE(SelectObject(other, bitmap), nullptr);
    deleted.set_value();
    drawer.join();
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_EQ(read, CLR_INVALID);
    EXPECT_EQ(GetPixel(other, 1, 1), RGB(9, 8, 7));
    EXPECT_EQ(GetPixel(other, 2, 2), RGB(0, 0, 0));
    DeleteDC(other);
    DeleteObject(bitmap);
}

} // namespace
