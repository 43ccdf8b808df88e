// The tty console's terminal side: the key decoder's byte-to-key rules,
// reads split anywhere, the Escape key told apart by the timeout, and hostile
// input consumed with bounded state; and what is sent for the screen buffer:
// a run of cells is one cursor move, then each cell in its colours and its
// glyph in UTF-8.
#include "console/ScreenBuffer.h"
#include "console/tty/KeyDecoder.h"
#include "console/tty/VtRenderer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

using WinApi::KeyDecoder;

struct Key {
    WORD Vk;
    WORD Scan;
    unsigned char Char;
    DWORD State;
    bool operator==(const Key&) const = default;
};

// Drains the decoder: each key-down must be followed by its identical key-up,
// and Ctrl and Shift come as keys of their own, held exactly while the key's
// state says so.
std::vector<Key> Drain(KeyDecoder& decoder) {
    auto key = [](const INPUT_RECORD& r) {
        const KEY_EVENT_RECORD& k = r.Event.KeyEvent;
        return Key{k.wVirtualKeyCode, k.wVirtualScanCode,
                   static_cast<unsigned char>(k.uChar.AsciiChar), k.dwControlKeyState};
    };
    std::vector<Key> keys;
    DWORD held = 0;
    for (INPUT_RECORD down{}, up{}; decoder.Next(down);) {
        const KEY_EVENT_RECORD& d = down.Event.KeyEvent;
        const WORD vk = d.wVirtualKeyCode;
        if (DWORD flag = vk == VK_CONTROL ? LEFT_CTRL_PRESSED
                         : vk == VK_SHIFT ? SHIFT_PRESSED
                                          : 0) {
            EXPECT_EQ(d.bKeyDown != 0, (held & flag) == 0) << "modifier pressed twice";
            held ^= flag;
            continue;
        }
        EXPECT_TRUE(decoder.Next(up)) << "key-down without key-up";
        EXPECT_TRUE(d.bKeyDown && !up.Event.KeyEvent.bKeyDown && d.wRepeatCount == 1);
        EXPECT_EQ(key(up), key(down));
        EXPECT_EQ(d.dwControlKeyState & (LEFT_CTRL_PRESSED | SHIFT_PRESSED), held);
        keys.push_back(key(down));
    }
    EXPECT_EQ(held, 0u) << "modifier left pressed";
    return keys;
}

std::vector<Key> Decode(const std::string& bytes, bool timeout = true) {
    KeyDecoder decoder;
    decoder.Feed(bytes.data(), bytes.size());
    if (timeout)
        decoder.Timeout();
    return Drain(decoder);
}

std::string Esc(const std::string& rest) {
    return "\x1b" + rest;
}

TEST(ConsoleKeyDecoder, EachSequenceGivesItsKeys) {
    const struct {
        std::vector<std::string> Bytes;
        std::vector<Key> Expected;
        bool Timeout = true;
    } rows[] = {
        {{"!"}, {{0x31, 0x02, '!', 0x10}}},
        {{" "}, {{0x20, 0x39, ' ', 0}}},
        {{"_"}, {{0xBD, 0x0C, '_', 0x10}}},
        {{"\x01"}, {{0x41, 0x1E, 0x01, 0x08}}},
        {{"\x0d", "\x0a"}, {{0x0D, 0x1C, 0x0D, 0}}},
        {{"\x09"}, {{0x09, 0x0F, 0x09, 0}}},
        {{Esc("[Z")}, {{0x09, 0x0F, 0x09, 0x10}}},
        {{"\x7f"}, {{0x08, 0x0E, 0x08, 0}}},
        {{"\x08"}, {{0x08, 0x0E, 0x7F, 0x08}}},
        {{Esc("")}, {{0x1B, 0x01, 0x1B, 0}}},
        {{Esc("X")}, {{0x58, 0x2D, 'X', 0x12}}},
        {{Esc("\x01")}, {{0x41, 0x1E, 0x01, 0x0A}}},
        {{Esc("[A"), Esc("OA")}, {{0x26, 0x48, 0, 0x100}}},
        {{Esc("[H"), Esc("OH"), Esc("[1~"), Esc("[7~")}, {{0x24, 0x47, 0, 0x100}}},
        {{Esc("[F"), Esc("OF"), Esc("[4~"), Esc("[8~")}, {{0x23, 0x4F, 0, 0x100}}},
        {{Esc("[6~")}, {{0x22, 0x51, 0, 0x100}}},
        {{Esc("OS")}, {{0x73, 0x3E, 0, 0}}},
        {{Esc("[1;5R")}, {{0x72, 0x3D, 0, 0x08}}},
        {{Esc("[3;8~")}, {{0x2E, 0x53, 0, 0x11A}}},
        {{Esc("[24;2~")}, {{0x7B, 0x58, 0, 0x10}}},
        {{"\xe9"}, {{0, 0, 0xE9, 0}}},
        // Incomplete sequences resolve on the timeout as the keys typed.
        {{Esc("[")}, {{0xDB, 0x1A, '[', 0x02}}},
        {{Esc("O")}, {{0x4F, 0x18, 'O', 0x12}}},
        {{Esc("[1")}, {{0xDB, 0x1A, '[', 0x02}, {0x31, 0x02, '1', 0}}},
        // Escape twice, or Escape and a letter, need no timeout.
        {{Esc("\x1b")}, {{0x1B, 0x01, 0x1B, 0}}, false},
        {{Esc("q") + "q"}, {{0x51, 0x10, 'q', 0x02}, {0x51, 0x10, 'q', 0}}, false},
        // Unknown sequences vanish; a control byte ends a sequence.
        {{Esc("[99~") + Esc("[?1;2c") + Esc("Oz") + "b"}, {{0x42, 0x30, 'b', 0}}},
        {{Esc("[\x01")}, {{0xDB, 0x1A, '[', 0x02}, {0x41, 0x1E, 0x01, 0x08}}},
    };
    for (const auto& row : rows)
        for (const std::string& bytes : row.Bytes)
            EXPECT_EQ(Decode(bytes, row.Timeout), row.Expected) << testing::PrintToString(bytes);
    // Letters and digits by the keyboard's rows, whose scan codes run left to
    // right; a capital is its letter's key with Shift.
    const std::pair<std::string, WORD> keyboardRows[] = {
        {"1234567890", 0x02}, {"qwertyuiop", 0x10}, {"asdfghjkl", 0x1E}, {"zxcvbnm", 0x2C}};
    for (const auto& [keys, firstScan] : keyboardRows)
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto c = static_cast<unsigned char>(keys[i]);
            const Key plain{WORD(std::toupper(c)), WORD(firstScan + i), c, 0};
            EXPECT_EQ(Decode(keys.substr(i, 1)), std::vector<Key>{plain});
            if (std::isalpha(c)) {
                EXPECT_EQ(Decode(std::string(1, char(plain.Vk))),
                          (std::vector<Key>{{plain.Vk, plain.Scan, uint8_t(plain.Vk), 0x10}}));
            }
        }
    // F1 to F12 as ESC [ n ~, the numbers skipping 16 and 22; scan codes
    // 0x3B to 0x44, then 0x57 and 0x58.
    const int numbers[12] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
    for (WORD i = 0; i < 12; ++i)
        EXPECT_EQ(Decode(Esc("[" + std::to_string(numbers[i]) + "~")),
                  (std::vector<Key>{{WORD(0x70 + i), WORD(i < 10 ? 0x3B + i : 0x4D + i), 0, 0}}))
            << "F" << i + 1;
}

TEST(ConsoleKeyDecoder, SplitReadsGiveTheSameKeysAndALoneEscapeWaitsForTheTimeout) {
    const std::string input = Esc("[1;5D") + "a" + Esc("OP") + Esc("[24~") + Esc("x") + "\x7f";
    KeyDecoder decoder;
    for (char c : input)
        decoder.Feed(&c, 1);
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), Decode(input));
    EXPECT_EQ(Decode(input).size(), 6u);
    decoder.Feed("\x1b", 1);
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_TRUE(Drain(decoder).empty());
    decoder.Timeout();
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
}

TEST(ConsoleKeyDecoder, OverLongSequencesAreConsumedWithBoundedState) {
    KeyDecoder decoder;
    const std::string longSequence = Esc("[") + std::string(100000, '1') + "A" + "c";
    decoder.Feed(longSequence.data(), longSequence.size());
    EXPECT_EQ(decoder.PendingBytes(), 0u);
    EXPECT_EQ(Drain(decoder), (std::vector<Key>{{0x43, 0x2E, 'c', 0}}));
    decoder.Feed(longSequence.data(), 20000);
    EXPECT_LE(decoder.PendingBytes(), KeyDecoder::kMaxPending);
    decoder.Timeout();
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_TRUE(Drain(decoder).empty());
}

// A run from column 3 of row 2: SGR 0 first in each cell's colours.
TEST(ConsoleRenderer, CellsAreSentInTheirColoursAsUnicodeGlyphs) {
    WinApi::VtRenderer renderer;
    WinApi::ScreenBuffer model(12, 6, &renderer);
    renderer.Finish(model.Cursor());
    // Light red on blue, yellow on black, light grey on light cyan.
    const CHAR_INFO cells[3] = {{{.AsciiChar = '\x03'}, 0x1C},
                                {{.AsciiChar = '\xDB'}, 0x0E},
                                {{.AsciiChar = '\xE1'}, 0xB7}};
    SMALL_RECT region{2, 1, 4, 1};
    model.Write(cells, {3, 1}, {0, 0}, region);
    EXPECT_EQ(renderer.Finish(model.Cursor())
                  .find("\x1b[2;3H"
                        "\x1b[0;91;44m\u2665"
                        "\x1b[0;93;40m\u2588"
                        "\x1b[0;37;106m\u00DF"),
              0u);
}

} // namespace
