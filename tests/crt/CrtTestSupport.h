// The console terminal's tests run against a headless console: a fresh one
// for each case, with the runtime's standard files and the console terminal
// started on it, and keys as the console reports them.
#pragma once

#include "console/headless/HeadlessConsole.h"
#include "crt/ConsoleDevice.h"
#include "crt/Crt.h"
#include "crt/Keyboard.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace CrtTest {

struct Key {
    WORD VirtualKey;
    WORD ScanCode;
    CHAR Ascii;
    DWORD State = 0;
};

inline const Key Enter{0x0D, 0x1C, '\r'}, Backspace{0x08, 0x0E, '\b'}, Escape{0x1B, 0x01, 27},
    Left{0x25, 0x4B, 0, ENHANCED_KEY}, Right{0x27, 0x4D, 0, ENHANCED_KEY},
    Home{0x24, 0x47, 0, ENHANCED_KEY}, End{0x23, 0x4F, 0, ENHANCED_KEY}, F1{0x70, 0x3B, 0},
    CtrlS{'S', 0x1F, 19, LEFT_CTRL_PRESSED}, CtrlY{'Y', 0x15, 25, LEFT_CTRL_PRESSED},
    CtrlZ{'Z', 0x2C, 26, LEFT_CTRL_PRESSED};

// A character typed without modifiers; the editor looks only at the character.
inline Key Typed(char c) {
    return Key{static_cast<WORD>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c), 0, c};
}

inline INPUT_RECORD KeyRecord(bool down, const Key& key) {
    return {KEY_EVENT,
            {{down, 1, key.VirtualKey, key.ScanCode, {.AsciiChar = key.Ascii}, key.State}}};
}

// Selects the console and starts the runtime core and the console terminal
// on it, with no key pending.
inline WinApi::HeadlessConsole& StartOn(WinApi::HeadlessConsole* console) {
    WinApi::SelectConsole(std::unique_ptr<WinApi::ConsoleHost>(console));
    Runtime::InOutRes = 0;
    Runtime::InitFinal.Entries[0].Initialization();
    Crt::ScanCode = 0;
    Crt::SpecialKey = false;
    Crt::InitializeCrt();
    return *console;
}

inline WinApi::HeadlessConsole& StartConsole(SHORT width = 80, SHORT height = 25,
                                             COORD cursor = {0, 0}, WORD attributes = 0x07) {
    auto* console = new WinApi::HeadlessConsole(width, height);
    console->SetCursorPosition(cursor);
    console->SetAttributes(attributes);
    return StartOn(console);
}

class CrtFixture : public ::testing::Test {
protected:
    void SetUp() override { Console = &StartConsole(); }

    void Press(const Key& key) {
        Console->PressKey(key.VirtualKey, key.ScanCode, key.Ascii, key.State);
    }
    void Type(const std::string& text) {
        for (char c : text)
            Press(Typed(c));
    }
    // Row y without its trailing blanks.
    std::string Shown(SHORT y) const {
        std::string row = Console->Row(y);
        return row.erase(row.find_last_not_of(' ') + 1);
    }

    WinApi::HeadlessConsole* Console = nullptr;
};

} // namespace CrtTest
