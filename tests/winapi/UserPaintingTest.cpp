// Painting: update regions, erasing with the class brush, paint device
// contexts clipped to the update rectangle, and window device contexts.
#include "UserTest.h"

namespace {

using namespace UserTest;

constexpr COLORREF Green = RGB(10, 200, 30);
constexpr COLORREF Red = RGB(220, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

// A window with a 100 × 80 client area.
WindowThread::Options SmallWindow() {
    WindowThread::Options options;
    options.X = 100;
    options.Y = 100;
    options.Width = 108;
    options.Height = 80 + 8 + 23;
    return options;
}

void FillClient(HWND window, COLORREF color) {
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    HBRUSH brush = CreateSolidBrush(color);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
}

// Counts the pixels of the client area inside and outside a rectangle that
// do not have the colour expected there.
struct Mismatches {
    int Inside = 0;
    int Outside = 0;
};
Mismatches Compare(WinApi::HeadlessDesktop& desktop, HWND window, const RECT& area, COLORREF inside,
                   COLORREF outside) {
    Mismatches m;
    auto pixels = desktop.ClientPixels(window);
    if (!pixels)
        return {-1, -1};
    for (int y = 0; y < pixels->Height; ++y) {
        for (int x = 0; x < pixels->Width; ++x) {
            const COLORREF color = WinApi::ColorRefFromPixel(
                pixels->Values[static_cast<size_t>(y * pixels->Width + x)]);
            const bool in = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            if (in && color != inside)
                ++m.Inside;
            if (!in && color != outside)
                ++m.Outside;
        }
    }
    return m;
}

using UserPainting = UserFixture;

TEST_F(UserPainting, BeginPaintErasesOnlyWhenAnInvalidationAskedForIt) {
    WindowThread thread(SmallWindow());
    PAINTSTRUCT withoutErase{}, withErase{};
    size_t erasesBefore = 0, erasesAfterFirst = 0, erasesAfterSecond = 0;
    const RECT area{10, 10, 30, 20};
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        erasesBefore = thread.Log.Only(WM_ERASEBKGND).size();
        InvalidateRect(thread.Window, &area, FALSE);
        BeginPaint(thread.Window, &withoutErase);
        EndPaint(thread.Window, &withoutErase);
        erasesAfterFirst = thread.Log.Only(WM_ERASEBKGND).size();
        InvalidateRect(thread.Window, &area, TRUE);
        BeginPaint(thread.Window, &withErase);
        EndPaint(thread.Window, &withErase);
        erasesAfterSecond = thread.Log.Only(WM_ERASEBKGND).size();
    });
    EXPECT_EQ(erasesAfterFirst, erasesBefore);
    EXPECT_FALSE(withoutErase.fErase);
    EXPECT_TRUE(SameRect(withoutErase.rcPaint, area)) << Describe(withoutErase.rcPaint);
    EXPECT_EQ(erasesAfterSecond, erasesBefore + 1);
    // The default procedure erased, so the painter need not.
    EXPECT_FALSE(withErase.fErase);
}

TEST_F(UserPainting, DefaultProcedureErasesTheUpdateRectangleWithTheClassBrush) {
    HBRUSH green = CreateSolidBrush(Green);
    const RECT area{10, 20, 30, 45};
    Mismatches first, second;
    {
        WindowThread::Options options = SmallWindow();
        options.Background = green;
        WindowThread thread(options);
        thread.Run([&] {
            // The first paint, of a window just shown, erases all of it.
            UpdateWindow(thread.Window);
            first = Compare(*Desktop, thread.Window, {0, 0, 100, 80}, Green, 0);
            FillClient(thread.Window, Blue);
            InvalidateRect(thread.Window, &area, TRUE);
            UpdateWindow(thread.Window);
            second = Compare(*Desktop, thread.Window, area, Green, Blue);
        });
    }
    EXPECT_EQ(first.Inside, 0);
    EXPECT_EQ(second.Inside, 0);
    EXPECT_EQ(second.Outside, 0);
    DeleteObject(green);
}

TEST_F(UserPainting, ThePaintContextDrawsOnlyInsideTheUpdateRectangle) {
    WindowThread::Options options = SmallWindow();
    options.OnMessage = [](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH red = CreateSolidBrush(Red);
        RECT everything{-10, -10, 200, 200};
        FillRect(dc, &everything, red);
        DeleteObject(red);
        EndPaint(window, &paint);
        return 0;
    };
    WindowThread thread(options);
    const RECT area{20, 30, 50, 60};
    Mismatches result;
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        FillClient(thread.Window, Blue);
        InvalidateRect(thread.Window, &area, FALSE);
        UpdateWindow(thread.Window);
        result = Compare(*Desktop, thread.Window, area, Red, Blue);
    });
    EXPECT_EQ(result.Inside, 0);
    EXPECT_EQ(result.Outside, 0);
}

TEST_F(UserPainting, UpdateWindowPaintsAtOnceOnlyWhenThereIsSomethingToPaint) {
    WindowThread thread(SmallWindow());
    size_t before = 0, afterEmpty = 0, afterInvalid = 0;
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        before = thread.Log.Only(WM_PAINT).size();
        UpdateWindow(thread.Window);
        afterEmpty = thread.Log.Only(WM_PAINT).size();
        InvalidateRect(thread.Window, nullptr, FALSE);
        UpdateWindow(thread.Window);
        afterInvalid = thread.Log.Only(WM_PAINT).size();
    });
    EXPECT_EQ(afterEmpty, before);
    EXPECT_EQ(afterInvalid, before + 1);
}

using UserUpdateRegion = UserFixture;

TEST_F(UserUpdateRegion, NoRegionReadsAsAnEmptyRectangle) {
    WindowThread thread(SmallWindow());
    thread.Run([&] { ValidateRect(thread.Window, nullptr); });
    RECT r{1, 2, 3, 4};
    EXPECT_FALSE(GetUpdateRect(thread.Window, &r, FALSE));
    EXPECT_TRUE(SameRect(r, {0, 0, 0, 0})) << Describe(r);
}

TEST_F(UserUpdateRegion, InvalidatedAreasGatherIntoTheirBoundingRectangleWithinTheClient) {
    WindowThread thread(SmallWindow());
    RECT bounds{}, whole{};
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        RECT a{10, 10, 20, 20}, b{40, 5, 50, 15};
        InvalidateRect(thread.Window, &a, FALSE);
        InvalidateRect(thread.Window, &b, FALSE);
        GetUpdateRect(thread.Window, &bounds, FALSE);
        ValidateRect(thread.Window, nullptr);
        RECT beyond{-5, -5, 500, 500};
        InvalidateRect(thread.Window, &beyond, FALSE);
        GetUpdateRect(thread.Window, &whole, FALSE);
    });
    EXPECT_TRUE(SameRect(bounds, {10, 5, 50, 20})) << Describe(bounds);
    EXPECT_TRUE(SameRect(whole, {0, 0, 100, 80})) << Describe(whole);
}

TEST_F(UserUpdateRegion, GetUpdateRectErasesOnlyWhenAskedAndThenBeginPaintDoesNot) {
    WindowThread thread(SmallWindow());
    size_t start = 0, afterNoErase = 0, afterErase = 0, afterPaint = 0;
    PAINTSTRUCT paint{};
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        start = thread.Log.Only(WM_ERASEBKGND).size();
        RECT r;
        InvalidateRect(thread.Window, nullptr, TRUE);
        EXPECT_TRUE(GetUpdateRect(thread.Window, &r, FALSE));
        afterNoErase = thread.Log.Only(WM_ERASEBKGND).size();
        EXPECT_TRUE(GetUpdateRect(thread.Window, &r, TRUE));
        afterErase = thread.Log.Only(WM_ERASEBKGND).size();
        BeginPaint(thread.Window, &paint);
        EndPaint(thread.Window, &paint);
        afterPaint = thread.Log.Only(WM_ERASEBKGND).size();
    });
    EXPECT_EQ(afterNoErase, start);
    EXPECT_EQ(afterErase, start + 1);
    EXPECT_EQ(afterPaint, afterErase);
    EXPECT_FALSE(paint.fErase);
}

TEST_F(UserUpdateRegion, ValidatingAWholeSideShrinksTheRegion) {
    WindowThread thread(SmallWindow());
    RECT shrunk{}, unchanged{};
    thread.Run([&] {
        ValidateRect(thread.Window, nullptr);
        RECT all{0, 0, 100, 80}, top{0, 0, 100, 30}, middle{40, 40, 50, 50};
        InvalidateRect(thread.Window, &all, FALSE);
        ValidateRect(thread.Window, &top);
        GetUpdateRect(thread.Window, &shrunk, FALSE);
        ValidateRect(thread.Window, &middle);
        GetUpdateRect(thread.Window, &unchanged, FALSE);
    });
    EXPECT_TRUE(SameRect(shrunk, {0, 30, 100, 80})) << Describe(shrunk);
    EXPECT_TRUE(SameRect(unchanged, {0, 30, 100, 80})) << Describe(unchanged);
}

using UserWindowContexts = UserFixture;

TEST_F(UserWindowContexts, AWindowContextDrawsIntoTheClientSurface) {
    WindowThread thread(SmallWindow());
    HDC dc = GetDC(thread.Window);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(SetPixelV(dc, 7, 9, Red));
    EXPECT_EQ(ReleaseDC(thread.Window, dc), 1);
    EXPECT_EQ(Desktop->ClientPixel(thread.Window, 7, 9), Red);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x5555)), nullptr);
}

} // namespace
