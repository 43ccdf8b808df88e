// The console's terminal key decoder: every row of the byte-to-key table,
// reads split anywhere, the Escape key told apart by the timeout, and hostile
// input consumed with bounded state.
#include "console/tty/KeyDecoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
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

// Drains the decoder and returns the keys, checking that each key-down is
// followed by an identical key-up, and that Ctrl and Shift come as keys of
// their own: pressed before the key they modify (Ctrl first), released after
// it in reverse order, and held exactly while the key's state says so.
std::vector<Key> Drain(KeyDecoder& decoder) {
    constexpr DWORD Modifiers = LEFT_CTRL_PRESSED | SHIFT_PRESSED;
    auto flagOf = [](WORD vk) -> DWORD {
        return vk == VK_CONTROL ? LEFT_CTRL_PRESSED : vk == VK_SHIFT ? SHIFT_PRESSED : 0;
    };
    std::vector<Key> keys;
    DWORD held = 0;
    INPUT_RECORD down{}, up{};
    auto key = [](const KEY_EVENT_RECORD& k) {
        return Key{k.wVirtualKeyCode, k.wVirtualScanCode,
                   static_cast<unsigned char>(k.uChar.AsciiChar), k.dwControlKeyState};
    };
    while (decoder.Next(down)) {
        const KEY_EVENT_RECORD& d = down.Event.KeyEvent;
        if (DWORD flag = flagOf(d.wVirtualKeyCode)) {
            // Ctrl is never pressed after Shift, nor released before it.
            EXPECT_EQ(d.bKeyDown != 0, (held & flag) == 0) << "modifier pressed twice";
            EXPECT_FALSE(d.bKeyDown && flag == LEFT_CTRL_PRESSED && (held & SHIFT_PRESSED));
            EXPECT_FALSE(!d.bKeyDown && flag == LEFT_CTRL_PRESSED && (held & SHIFT_PRESSED));
            held ^= flag;
            EXPECT_EQ(d.dwControlKeyState & Modifiers, held);
            continue;
        }
        EXPECT_TRUE(decoder.Next(up)) << "key-down without key-up";
        const KEY_EVENT_RECORD& u = up.Event.KeyEvent;
        EXPECT_TRUE(down.EventType == KEY_EVENT && up.EventType == KEY_EVENT && d.bKeyDown &&
                    !u.bKeyDown && d.wRepeatCount == 1 && u.wRepeatCount == 1);
        EXPECT_EQ(key(u), key(d));
        EXPECT_EQ(d.dwControlKeyState & Modifiers, held) << "modifier records missing";
        keys.push_back(key(d));
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

TEST(ConsoleKeyDecoder, EveryRowOfTheTableGivesItsKey) {
    // Each set of byte sequences, and the one key they all give.
    struct Row {
        std::vector<std::string> Bytes;
        Key Expected;
    };
    const std::vector<Row> rows = {
        {{"!"}, {0x31, 0x02, '!', 0x10}},
        {{" "}, {0x20, 0x39, ' ', 0}},
        {{"-"}, {0xBD, 0x0C, '-', 0}},
        {{"_"}, {0xBD, 0x0C, '_', 0x10}},
        {{"/"}, {0xBF, 0x35, '/', 0}},
        {{"?"}, {0xBF, 0x35, '?', 0x10}},
        {{"~"}, {0xC0, 0x29, '~', 0x10}},
        {{"\x01"}, {0x41, 0x1E, 0x01, 0x08}},
        {{"\x1a"}, {0x5A, 0x2C, 0x1A, 0x08}},
        {{"\x0d", "\x0a"}, {0x0D, 0x1C, 0x0D, 0}},
        {{"\x09"}, {0x09, 0x0F, 0x09, 0}},
        {{Esc("[Z")}, {0x09, 0x0F, 0x09, 0x10}},
        {{"\x7f"}, {0x08, 0x0E, 0x08, 0}},
        {{"\x08"}, {0x08, 0x0E, 0x7F, 0x08}},
        {{Esc("")}, {0x1B, 0x01, 0x1B, 0}},
        {{Esc("x")}, {0x58, 0x2D, 'x', 0x02}},
        {{Esc("X")}, {0x58, 0x2D, 'X', 0x12}},
        {{Esc("\x01")}, {0x41, 0x1E, 0x01, 0x0A}},
        {{Esc("\x7f")}, {0x08, 0x0E, 0x08, 0x02}},
        {{Esc("[A"), Esc("OA")}, {0x26, 0x48, 0, 0x100}},
        {{Esc("[B"), Esc("OB")}, {0x28, 0x50, 0, 0x100}},
        {{Esc("[C"), Esc("OC")}, {0x27, 0x4D, 0, 0x100}},
        {{Esc("[D"), Esc("OD")}, {0x25, 0x4B, 0, 0x100}},
        {{Esc("[H"), Esc("OH"), Esc("[1~"), Esc("[7~")}, {0x24, 0x47, 0, 0x100}},
        {{Esc("[F"), Esc("OF"), Esc("[4~"), Esc("[8~")}, {0x23, 0x4F, 0, 0x100}},
        {{Esc("[2~")}, {0x2D, 0x52, 0, 0x100}},
        {{Esc("[3~")}, {0x2E, 0x53, 0, 0x100}},
        {{Esc("[5~")}, {0x21, 0x49, 0, 0x100}},
        {{Esc("[6~")}, {0x22, 0x51, 0, 0x100}},
        {{Esc("OP")}, {0x70, 0x3B, 0, 0}},
        {{Esc("OS")}, {0x73, 0x3E, 0, 0}},
        {{Esc("[1;2P")}, {0x70, 0x3B, 0, 0x10}},
        {{Esc("[1;5R")}, {0x72, 0x3D, 0, 0x08}},
        {{Esc("[1;5D")}, {0x25, 0x4B, 0, 0x108}},
        {{Esc("[1;3A")}, {0x26, 0x48, 0, 0x102}},
        {{Esc("[3;8~")}, {0x2E, 0x53, 0, 0x11A}},
        {{Esc("[24;2~")}, {0x7B, 0x58, 0, 0x10}},
        {{"\xe9"}, {0, 0, 0xE9, 0}},
    };
    for (const Row& row : rows)
        for (const std::string& bytes : row.Bytes)
            EXPECT_EQ(Decode(bytes), std::vector<Key>{row.Expected})
                << testing::PrintToString(bytes);
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

TEST(ConsoleKeyDecoder, SequencesSplitByteByByteGiveTheSameKeys) {
    const std::string input = Esc("[1;5D") + "a" + Esc("OP") + Esc("[24~") + Esc("x") + "\x7f";
    KeyDecoder decoder;
    for (char c : input)
        decoder.Feed(&c, 1);
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), Decode(input));
    EXPECT_EQ(Decode(input).size(), 6u);
}

TEST(ConsoleKeyDecoder, LoneEscapeWaitsForTheTimeout) {
    KeyDecoder decoder;
    decoder.Feed("\x1b", 1);
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_TRUE(Drain(decoder).empty());
    decoder.Timeout();
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(Drain(decoder), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
}

TEST(ConsoleKeyDecoder, IncompleteSequencesResolveOnTimeoutAsTheKeysTyped) {
    EXPECT_EQ(Decode(Esc("[")), (std::vector<Key>{{0xDB, 0x1A, '[', 0x02}}));
    EXPECT_EQ(Decode(Esc("O")), (std::vector<Key>{{0x4F, 0x18, 'O', 0x12}}));
    EXPECT_EQ(Decode(Esc("[1")), (std::vector<Key>{{0xDB, 0x1A, '[', 0x02}, {0x31, 0x02, '1', 0}}));
    EXPECT_EQ(Decode(Esc("\x1b"), false), (std::vector<Key>{{0x1B, 0x01, 0x1B, 0}}));
    // Escape and a letter is Alt with it, without waiting.
    EXPECT_EQ(Decode(Esc("q") + "q", false),
              (std::vector<Key>{{0x51, 0x10, 'q', 0x02}, {0x51, 0x10, 'q', 0}}));
}

TEST(ConsoleKeyDecoder, GarbageAndOverLongSequencesAreConsumed) {
    // Unknown sequences vanish; what follows them decodes normally.
    EXPECT_EQ(Decode(Esc("[99~") + Esc("[?1;2c") + Esc("Oz") + "b"),
              (std::vector<Key>{{0x42, 0x30, 'b', 0}}));
    // A control byte inside a sequence ends it: the prefix was typed keys.
    EXPECT_EQ(Decode(Esc("[\x01")),
              (std::vector<Key>{{0xDB, 0x1A, '[', 0x02}, {0x41, 0x1E, 0x01, 0x08}}));
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

} // namespace
