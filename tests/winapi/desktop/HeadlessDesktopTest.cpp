// The headless desktop acting as the user: keys and mouse buttons. (Its close
// box, covering and uncovering are in UserWindowsTest.)
#include "tests/winapi/user/UserTest.h"

namespace {

using namespace UserTest;
using HeadlessUserActions = UserFixture;

TEST_F(HeadlessUserActions, KeysAndMouseButtonsArriveWithTheirParameters) {
    WindowThread thread;
    const HWND w = thread.Window;
    Desktop->PressKey(w, 'A', 0x1E, 'a');
    Desktop->PressKey(w, 'X', 0x2D, 'x', false, true);
    Desktop->PressKey(w, VK_LEFT, 0x4B, 0, true, false);
    Desktop->Key(w, true, VK_SPACE, 0x39);
    Desktop->Key(w, true, VK_SPACE, 0x39);
    Desktop->Key(w, false, VK_SPACE, 0x39);
    Desktop->MouseButton(w, 1, true, 10, 20, MK_LBUTTON);
    Desktop->MouseButton(w, 1, false, 11, 21);
    Desktop->MouseButton(w, 3, true, 300, 400, MK_RBUTTON | MK_SHIFT);
    Desktop->MouseButton(w, 2, false, 0, 479);
    thread.Run([] {});
    // Key messages carry the scan code, the repeat count, and the extended,
    // Alt, previous state and transition bits.
    const std::vector<Seen> keys{
        {WM_KEYDOWN, 'A', 0x001E0001},      {WM_CHAR, 'a', 0x001E0001},
        {WM_KEYUP, 'A', 0xC01E0001},        {WM_SYSKEYDOWN, 'X', 0x202D0001},
        {WM_SYSCHAR, 'x', 0x202D0001},      {WM_SYSKEYUP, 'X', 0xE02D0001},
        {WM_KEYDOWN, VK_LEFT, 0x014B0001},  {WM_KEYUP, VK_LEFT, 0xC14B0001},
        {WM_KEYDOWN, VK_SPACE, 0x00390001}, {WM_KEYDOWN, VK_SPACE, 0x40390001},
        {WM_KEYUP, VK_SPACE, 0xC0390001}};
    EXPECT_EQ(thread.Logged(WM_KEYFIRST, WM_KEYLAST), keys);
    const std::vector<Seen> buttons{{WM_LBUTTONDOWN, MK_LBUTTON, 0x0014000A},
                                    {WM_LBUTTONUP, 0, MAKELPARAM(11, 21)},
                                    {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(300, 400)},
                                    {WM_MBUTTONUP, 0, MAKELPARAM(0, 479)}};
    EXPECT_EQ(thread.Logged(WM_LBUTTONDOWN, WM_MBUTTONDBLCLK), buttons);
}

} // namespace
