// The per-thread cache of device contexts: a context that another thread has
// just cached is refused once deleted, and gives its bitmap back at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

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
