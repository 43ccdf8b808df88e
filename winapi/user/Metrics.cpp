// System metrics: those of a plain desktop theme, with the screen and its
// work area (the screen less the taskbar) from the desktop in use.
#include "desktop/Desktop.h"

namespace {

constexpr int Caption = 23;
constexpr int SizingFrame = 4;
constexpr int FixedFrame = 3;
constexpr int Border = 1;

} // namespace

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CYCAPTION:
        return Caption;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return SizingFrame;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME:
        return FixedFrame;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return Border;
    default:
        break;
    }
    const WinApi::ScreenInfo screen = WinApi::CurrentDesktop().Screen();
    const RECT& work = screen.WorkArea;
    switch (nIndex) {
    case SM_CXSCREEN:
        return screen.Width;
    case SM_CYSCREEN:
        return screen.Height;
    case SM_CXFULLSCREEN:
        return work.right - work.left;
    case SM_CYFULLSCREEN:
        return work.bottom - work.top - Caption;
    case SM_CXMAXIMIZED:
        return work.right - work.left + 2 * SizingFrame;
    case SM_CYMAXIMIZED:
        return work.bottom - work.top + 2 * SizingFrame;
    default:
        return 0;
    }
}
