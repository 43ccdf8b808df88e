// The per-thread cache of device contexts: a context that another thread has
// just cached is refused once deleted, and gives its bitmap back at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

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

} // namespace
