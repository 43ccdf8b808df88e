// The graph window's input handlers, fed the messages the window hands to
// the kernel's hooks.
#include "graph/Graph.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Graph;

// Characters come as they are; keys without one as 0 and their extended
// code, by the first of Alt, Ctrl and Shift held; key releases, modifiers
// and keys whose character follows add nothing. Once the window is closed,
// a program waiting for a key gets Esc.
TEST(GraphInputTest, KeysInTheConsoleKeyboardsTwoByteFormAndClosingGivesEsc) {
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

    GraphCharHandler(nullptr, WM_CLOSE, 0, 0);
    EXPECT_TRUE(GraphWindowClosed());
    EXPECT_EQ(GraphReadKey(), '\x1B');
}

} // namespace
