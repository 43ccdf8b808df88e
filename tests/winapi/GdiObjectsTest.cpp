// GDI handles and objects: stock objects, selection, deletion, and refusal
// of stale or bogus handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(GdiHandles, StockObjectsAreStableAndSurviveDeletion) {
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    for (int id : {WHITE_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN})
        EXPECT_NE(GetStockObject(id), nullptr) << id;
    EXPECT_TRUE(DeleteObject(black));
    LOGBRUSH description{};
    ASSERT_EQ(GetObjectA(black, sizeof description, &description),
              static_cast<int>(sizeof description));
    EXPECT_EQ(description.lbColor, RGB(0, 0, 0));
    EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_SOLID));
}

TEST(GdiHandles, SelectObjectReturnsThePreviousObject) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 37, 11);
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);
    HGDIOBJ defaultBitmap = SelectObject(dc, bitmap);
    EXPECT_EQ(SelectObject(dc, defaultBitmap), bitmap);
    // The default bitmap is 1 x 1 and never written; an empty compatible
    // bitmap is that same one.
    EXPECT_FALSE(SetPixelV(dc, 0, 0, RGB(255, 255, 255)));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 3), defaultBitmap);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 37);
    EXPECT_EQ(info.bmHeight, 11);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 4), nullptr);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
}

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
    for (std::uintptr_t value :
         {std::uintptr_t{4}, std::uintptr_t{0x12345678}, ~std::uintptr_t{0}, renamed}) {
        EXPECT_FALSE(SetPixelV(reinterpret_cast<HDC>(value), 0, 0, 0)) << value;
        EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(value)), nullptr) << value;
    }
    EXPECT_FALSE(SetPixelV(reinterpret_cast<HDC>(brush), 0, 0, 0)); // not a context
    EXPECT_FALSE(DeleteObject(dc));                                 // a context goes with DeleteDC
    EXPECT_TRUE(DeleteObject(brush));

    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(SetPixelV(dc, 0, 0, RGB(1, 1, 1)));
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_FALSE(LineTo(dc, 3, 3));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiHandles, SelectedObjectsOutliveTheirHandlesSafely) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 10, 20));
    HGDIOBJ defaultBitmap = SelectObject(dc, bitmap);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr); // one context at a time
    SelectObject(dc, pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), 0);
    MoveToEx(dc, 0, 2, nullptr);
    EXPECT_TRUE(LineTo(dc, 4, 2));
    EXPECT_EQ(GetPixel(dc, 3, 2), RGB(200, 10, 20));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, defaultBitmap), bitmap);
    EXPECT_EQ(GetPixel(dc, 3, 2), CLR_INVALID);

    HBITMAP shared = CreateCompatibleBitmap(dc, 2, 2);
    SelectObject(dc, shared);
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_NE(SelectObject(other, shared), nullptr); // free again
    DeleteDC(other);
    DeleteObject(shared);
}

TEST(GdiHandles, ObjectsComeAndGoOnManyThreadsAtOnce) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 300; ++i) {
                HDC dc = CreateCompatibleDC(nullptr);
                HBITMAP bitmap = CreateCompatibleBitmap(dc, 6, 6);
                HPEN pen = CreatePen(PS_SOLID, 1, RGB(t, i & 0xFF, 1));
                HGDIOBJ old = SelectObject(dc, bitmap);
                SelectObject(dc, pen);
                DeleteObject(pen);
                MoveToEx(dc, 0, 1, nullptr);
                LineTo(dc, 6, 1);
                failures += GetPixel(dc, 5, 1) != RGB(t, i & 0xFF, 1);
                SelectObject(dc, old);
                failures += !DeleteObject(bitmap) || !DeleteDC(dc) || SetPixelV(dc, 0, 0, 0);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
