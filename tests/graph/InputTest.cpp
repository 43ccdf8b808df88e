// The graph window's input handlers, fed the messages the window hands to
// the kernel's hooks.
#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Graph;

LPARAM Scan(int scanCode) {
    return static_cast<LPARAM>(scanCode) << 16 | 1;
}

LPARAM At(int x, int y) {
    return static_cast<LPARAM>((y & 0xFFFF) << 16 | (x & 0xFFFF));
}

// Characters come as they are; keys without one as 0 and their extended
// code, by the first of Alt, Ctrl and Shift held; key releases, modifiers
// and keys whose character follows add nothing.
TEST(GraphInputTest, KeysInTheConsoleKeyboardsTwoByteForm) {
    InstallGraphInput();
    EXPECT_EQ(CharMessageHandler.load(), GraphCharHandler);
    struct Message {
        UINT Kind;
        WPARAM Key;
        LPARAM Data;
    } messages[] = {
        {WM_KEYDOWN, 'A', Scan(0x1E)},      {WM_CHAR, 'a', Scan(0x1E)},
        {WM_KEYUP, 'A', Scan(0x1E)},        {WM_KEYDOWN, VK_LEFT, Scan(0x4B)},
        {WM_KEYDOWN, VK_F1, Scan(0x3B)},    {WM_KEYDOWN, VK_F12, Scan(0x58)},
        {WM_CHAR, 27, Scan(0x01)},          {WM_KEYDOWN, VK_CONTROL, Scan(0x1D)},
        {WM_KEYDOWN, VK_LEFT, Scan(0x4B)},  {WM_KEYUP, VK_CONTROL, Scan(0x1D)},
        {WM_KEYDOWN, VK_SHIFT, Scan(0x2A)}, {WM_KEYDOWN, VK_F1, Scan(0x3B)},
        {WM_KEYUP, VK_SHIFT, Scan(0x2A)},   {WM_SYSKEYDOWN, VK_HOME, Scan(0x47)},
    };
    for (const Message& m : messages)
        GraphCharHandler(nullptr, m.Kind, m.Key, m.Data);
    std::string keys;
    while (GraphKeyPressed())
        keys += GraphReadKey();
    // Ctrl+Left is 115, Shift+F1 84, Alt+Home 151.
    EXPECT_EQ(keys, std::string("a\0\x4B\0\x3B\0\x86\x1B\0\x73\0\x54\0\x97", 14));
}

// Each press and release is queued with where it happened and the buttons
// held afterwards; the state is the last of them.
TEST(GraphInputTest, MouseButtonsAreQueuedWithTheirPlaceAndClosingEndsAWaitForAKey) {
    InstallGraphInput();
    GraphMouseHandler(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 20));
    GraphMouseHandler(nullptr, WM_RBUTTONDOWN, MK_RBUTTON, At(11, 21));
    GraphMouseHandler(nullptr, WM_LBUTTONUP, 0, At(-5, 300));
    using Event = std::tuple<int, int, int, bool>;
    std::vector<Event> events;
    for (MouseEventType e; GetMouseEvent(e);)
        events.emplace_back(e.X, e.Y, e.Buttons, e.Down);
    EXPECT_EQ(events, (std::vector<Event>{{10, 20, LeftButton, true},
                                          {11, 21, LeftButton | RightButton, true},
                                          {-5, 300, RightButton, false}}));
    std::int16_t x = 0, y = 0;
    std::uint16_t buttons = 0;
    GetMouseState(x, y, buttons);
    EXPECT_EQ(std::make_tuple(x, y, buttons), std::make_tuple(-5, 300, RightButton));
    // Once the window is closed, a program waiting for a key gets Esc.
    EXPECT_FALSE(GraphWindowClosed());
    GraphCharHandler(nullptr, WM_CLOSE, 0, 0);
    EXPECT_TRUE(GraphWindowClosed());
    EXPECT_EQ(GraphReadKey(), '\x1B');
}

} // namespace
