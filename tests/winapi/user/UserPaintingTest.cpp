// Painting: erasing with the class brush, and paint device
// contexts clipped to the update rectangle.
#include "UserTest.h"

namespace {

using namespace UserTest;
using UserPainting = UserFixture;

constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr COLORREF Blue = RGB(0, 0, 255);

TEST_F(UserPainting, BeginPaintErasesOnlyWhenAskedAndItsContextDrawsOnlyInTheUpdateArea) {
    // A stock class brush of a colour that nothing else paints; erasing with
    // it when asked is seen in HeadlessDesktopTest's uncovering.
    WindowThread::Options options = SmallWindow();
    options.Background = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    WindowThread thread(options);
    thread.Run([&] {
        const HWND w = thread.Window;
        auto erases = [&] { return thread.Logged(WM_ERASEBKGND).size(); };
        const RECT area{10, 20, 30, 45};
        PAINTSTRUCT paint{};
        ValidateRect(w, nullptr);
        FillClient(w, Blue);
        const size_t start = erases();
        InvalidateRect(w, &area, FALSE);
        BeginPaint(w, &paint);
        EndPaint(w, &paint);
        EXPECT_EQ(paint.rcPaint, area);
        EXPECT_EQ(erases(), start);
        EXPECT_EQ(Mismatches(*Desktop, w, area, Blue, Blue), 0);
        // The paint context draws only inside the update rectangle.
        const RECT other{20, 30, 50, 60}, everything{-10, -10, 200, 200};
        FillClient(w, Blue);
        InvalidateRect(w, &other, FALSE);
        HDC dc = BeginPaint(w, &paint);
        FillRect(dc, &everything, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(w, &paint);
        EXPECT_EQ(Mismatches(*Desktop, w, other, Grey, Blue), 0);
    });
}

} // namespace
