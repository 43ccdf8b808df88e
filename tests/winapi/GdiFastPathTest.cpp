// The per-thread cache of device contexts: a context that another thread has
// just cached is refused once deleted, gives its bitmap back at once, and a
// handle value that comes back for a new context finds the new one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

// Runs first on a thread of its own, then, once released, second on the same
// thread, so that second meets what first left in that thread's cache.
class TwoStepThread {
public:
    TwoStepThread(std::function<void()> first, std::function<void()> second)
        : Worker([this, first, second] {
              first();
              FirstDone.set_value();
              Go.get_future().wait();
              second();
          }) {
        FirstDone.get_future().wait();
    }
    void RunSecond() {
        Go.set_value();
        Worker.join();
    }

private:
    std::promise<void> FirstDone;
    std::promise<void> Go;
    std::thread Worker;
};

std::uintptr_t SlotIndex(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF;
}

TEST(GdiFastPath, ContextCachedOnAnotherThreadIsRefusedOnceDeleted) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    ASSERT_NE(SelectObject(dc, bitmap), nullptr);
    BOOL before = FALSE, after = TRUE;
    COLORREF read = 0;
    TwoStepThread drawer([&] { before = SetPixelV(dc, 1, 1, RGB(9, 8, 7)); },
                         [&] {
                             after = SetPixelV(dc, 2, 2, RGB(1, 2, 3));
                             read = GetPixel(dc, 1, 1);
                         });
    ASSERT_TRUE(DeleteDC(dc));
    // The drawer's cache still refers to the context, yet its bitmap is free.
    EXPECT_NE(SelectObject(other, bitmap), nullptr);
    drawer.RunSecond();
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_EQ(read, CLR_INVALID);
    EXPECT_EQ(GetPixel(other, 1, 1), RGB(9, 8, 7));
    EXPECT_EQ(GetPixel(other, 2, 2), RGB(0, 0, 0));
    DeleteDC(other);
    DeleteObject(bitmap);
}

TEST(GdiFastPath, HandleValueReusedByANewContextFindsTheNewOne) {
    HDC first = CreateCompatibleDC(nullptr);
    HBITMAP oldBitmap = CreateCompatibleBitmap(first, 4, 4);
    SelectObject(first, oldBitmap);
    BOOL drawn = FALSE;
    TwoStepThread drawer([&] { SetPixelV(first, 0, 0, RGB(5, 5, 5)); },
                         [&] { drawn = SetPixelV(first, 3, 3, RGB(40, 50, 60)); });
    ASSERT_TRUE(DeleteDC(first));

    // Hold every other free slot, and make contexts in the freed one until
    // its generation wraps round to the same handle value.
    std::vector<HDC> held;
    HDC second = nullptr;
    for (int i = 0; i < 70000 && !second; ++i) {
        HDC dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc, nullptr);
        if (dc == first)
            second = dc;
        else if (SlotIndex(dc) == SlotIndex(first))
            DeleteDC(dc);
        else
            held.push_back(dc);
    }
    for (HDC dc : held)
        DeleteDC(dc);
    ASSERT_NE(second, nullptr);
    HBITMAP newBitmap = CreateCompatibleBitmap(second, 4, 4);
    SelectObject(second, newBitmap);

    drawer.RunSecond();
    EXPECT_TRUE(drawn);
    EXPECT_EQ(GetPixel(second, 3, 3), RGB(40, 50, 60));
    HDC check = CreateCompatibleDC(nullptr);
    SelectObject(check, oldBitmap);
    EXPECT_EQ(GetPixel(check, 0, 0), RGB(5, 5, 5));
    EXPECT_EQ(GetPixel(check, 3, 3), RGB(0, 0, 0));
    DeleteDC(check);
    DeleteDC(second);
    DeleteObject(oldBitmap);
    DeleteObject(newBitmap);
}

} // namespace
