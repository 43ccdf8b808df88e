// The graph window's input handlers, fed the messages the window hands to
// the kernel's hooks.
#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Graph;

// Characters come as they are; keys without one as 0 and their extended
// code, by the first of Alt, Ctrl and Shift held; key releases, modifiers
// and keys whose character follows add nothing. Each mouse press and
// release is queued with where it happened and the buttons held afterwards;
// the state is the last of them. Once the window is closed, a program
// waiting for a key gets Esc.
TEST(GraphInputTest, KeysInTheTwoByteFormMouseEventsQueuedAndClosingGivesEsc) {
    InstallGraphInput();
    EXPECT_EQ(CharMessageHandler.load(), GraphCharHandler);
    const std::tuple<UINT, WPARAM, int> keys[] = {
        {WM_KEYDOWN, 'A', 0x1E},      {WM_CHAR, 'a', 0x1E},           {WM_KEYUP, 'A', 0x1E},
        {WM_KEYDOWN, VK_LEFT, 0x4B},  {WM_KEYDOWN, VK_F1, 0x3B},      {WM_KEYDOWN, VK_F12, 0x58},
        {WM_CHAR, 27, 0x01},          {WM_KEYDOWN, VK_CONTROL, 0x1D}, {WM_KEYDOWN, VK_LEFT, 0x4B},
        {WM_KEYUP, VK_CONTROL, 0x1D}, {WM_KEYDOWN, VK_SHIFT, 0x2A},   {WM_KEYDOWN, VK_F1, 0x3B},
        {WM_KEYUP, VK_SHIFT, 0x2A},   {WM_SYSKEYDOWN, VK_HOME, 0x47},
    };
    for (auto [kind, key, scanCode] : keys)
        GraphCharHandler(nullptr, kind, key, static_cast<LPARAM>(scanCode) << 16 | 1);
    std::string read;
    while (GraphKeyPressed())
        read += GraphReadKey();
    // Ctrl+Left is 115, Shift+F1 84, Alt+Home 151.
    EXPECT_EQ(read, std::string("a\0\x4B\0\x3B\0\x86\x1B\0\x73\0\x54\0\x97", 14));

    const std::tuple<UINT, WPARAM, std::int16_t, std::int16_t> buttons[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 10, 20},
        {WM_RBUTTONDOWN, MK_RBUTTON, 11, 21},
        {WM_LBUTTONUP, 0, -5, 300}};
    for (auto [kind, held, x, y] : buttons)
        GraphMouseHandler(nullptr, kind, held,
                          static_cast<LPARAM>((y & 0xFFFF) << 16 | (x & 0xFFFF)));
    using Event = std::tuple<int, int, int, bool>;
    std::vector<Event> events;
    for (MouseEventType e; GetMouseEvent(e);)
        events.emplace_back(e.X, e.Y, e.Buttons, e.Down);
    EXPECT_EQ(events, (std::vector<Event>{{10, 20, LeftButton, true},
                                          {11, 21, LeftButton | RightButton, true},
                                          {-5, 300, RightButton, false}}));
    std::int16_t x = 0, y = 0;
    std::uint16_t held = 0;
    GetMouseState(x, y, held);
    EXPECT_EQ(std::make_tuple(x, y, held), std::make_tuple(-5, 300, RightButton));
    EXPECT_FALSE(GraphWindowClosed());
    GraphCharHandler(nullptr, WM_CLOSE, 0, 0);
    EXPECT_TRUE(GraphWindowClosed());
    EXPECT_EQ(GraphReadKey(), '\x1B');
}

} // namespace
