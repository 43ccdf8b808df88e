// Decoding of terminal bytes into key events: plain bytes map through a US
// keyboard table, escape sequences (CSI "ESC [" and SS3 "ESC O") are
// collected byte by byte in a bounded buffer and decoded on their final byte.
#include "console/tty/KeyDecoder.h"

#include "console/KeyRecords.h"

#include <iterator>
#include <vector>

namespace WinApi {

namespace {

constexpr unsigned char kEsc = 0x1B;

struct KeyInfo {
    WORD Vk;
    WORD Scan;
    bool Shift;
};

// Set-1 scan codes of the letters A to Z.
constexpr WORD kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                  0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                  0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

// Set-1 scan codes of the digits 0 to 9.
constexpr WORD kDigitScan[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

// The key of a US keyboard that types a printable ASCII character, and
// whether Shift is held to type it.
KeyInfo PrintableKey(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return {static_cast<WORD>(c - 'a' + 'A'), kLetterScan[c - 'a'], false};
    }
    if (c >= 'A' && c <= 'Z') {
        return {c, kLetterScan[c - 'A'], true};
    }
    if (c >= '0' && c <= '9') {
        return {c, kDigitScan[c - '0'], false};
    }
    if (c == ' ')
        return {VK_SPACE, 0x39, false};
    // Shift with a digit key types the character at the digit's place here.
    constexpr const char* shiftedDigits = ")!@#$%^&*(";
    for (int digit = 0; digit < 10; ++digit)
        if (c == static_cast<unsigned char>(shiftedDigits[digit]))
            return {static_cast<WORD>('0' + digit), kDigitScan[digit], true};
    // The punctuation keys: each types its first character, and its second
    // with Shift.
    struct PunctuationKey {
        char Plain;
        char Shifted;
        WORD Vk;
        WORD Scan;
    };
    static constexpr PunctuationKey punctuation[] = {
        {'-', '_', VK_OEM_MINUS, 0x0C}, {'=', '+', VK_OEM_PLUS, 0x0D},
        {'[', '{', VK_OEM_4, 0x1A},     {']', '}', VK_OEM_6, 0x1B},
        {';', ':', VK_OEM_1, 0x27},     {'\'', '"', VK_OEM_7, 0x28},
        {'`', '~', VK_OEM_3, 0x29},     {'\\', '|', VK_OEM_5, 0x2B},
        {',', '<', VK_OEM_COMMA, 0x33}, {'.', '>', VK_OEM_PERIOD, 0x34},
        {'/', '?', VK_OEM_2, 0x35},
    };
    for (const PunctuationKey& key : punctuation) {
        if (c == static_cast<unsigned char>(key.Plain))
            return {key.Vk, key.Scan, false};
        if (c == static_cast<unsigned char>(key.Shifted))
            return {key.Vk, key.Scan, true};
    }
    return {0, 0, false};
}

// A terminal's modifier parameter m encodes the mask m - 1: Shift 1, Alt 2,
// Ctrl 4. Higher bits (Meta and beyond) have no Windows equivalent.
DWORD ModifierState(int m) {
    if (m < 2) {
        return 0;
    }
    const int mask = m - 1;
    DWORD state = 0;
    if (mask & 1) {
        state |= SHIFT_PRESSED;
    }
    if (mask & 2) {
        state |= LEFT_ALT_PRESSED;
    }
    if (mask & 4) {
        state |= LEFT_CTRL_PRESSED;
    }
    return state;
}

// Parses "n;m;..." into numbers (empty ones as 0); false for anything else,
// such as private markers, which this decoder does not understand.
bool ParseParameters(const std::string& text, std::vector<int>& out) {
    out.assign(1, 0);
    for (char c : text) {
        if (c == ';') {
            out.push_back(0);
        } else if (c >= '0' && c <= '9') {
            // Clamped so that long digit runs cannot overflow.
            if (out.back() < 10000) {
                out.back() = out.back() * 10 + (c - '0');
            }
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

// The console reports Ctrl and Shift as keys of their own, pressed before
// the key they modify and released after it: Ctrl goes down first, then
// Shift, each record carrying the state that holds once it is down or up.
void KeyDecoder::Key(WORD vk, WORD scan, unsigned char ch, DWORD state) {
    struct Modifier {
        DWORD Flag;
        WORD Vk;
        WORD Scan;
    };
    static constexpr Modifier Modifiers[] = {{LEFT_CTRL_PRESSED, VK_CONTROL, 0x1D},
                                             {SHIFT_PRESSED, VK_SHIFT, 0x2A}};
    auto push = [this](const INPUT_RECORD& record) { events_.push_back(record); };
    auto modifier = [&](const Modifier& m, bool down, DWORD held) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        key.bKeyDown = down ? TRUE : FALSE;
        key.wRepeatCount = 1;
        key.wVirtualKeyCode = m.Vk;
        key.wVirtualScanCode = m.Scan;
        key.dwControlKeyState = held;
        push(record);
    };
    const bool isModifier = vk == VK_SHIFT || vk == VK_CONTROL;
    // The left Ctrl and Shift keys are no enhanced keys, whatever they modify.
    DWORD held = state & ~(LEFT_CTRL_PRESSED | SHIFT_PRESSED | ENHANCED_KEY);
    for (const Modifier& m : Modifiers)
        if (!isModifier && (state & m.Flag))
            modifier(m, true, held |= m.Flag);
    PushKeyPress(push, vk, scan, ch, state);
    for (auto m = std::rbegin(Modifiers); m != std::rend(Modifiers); ++m)
        if (!isModifier && (state & m->Flag))
            modifier(*m, false, held &= ~m->Flag);
}

bool KeyDecoder::Next(INPUT_RECORD& record) {
    if (events_.empty()) {
        return false;
    }
    record = events_.front();
    events_.pop_front();
    return true;
}

// A byte outside any sequence; extraState adds Alt when it followed an ESC.
void KeyDecoder::Plain(unsigned char b, DWORD extraState) {
    if (b == 0x00) {
        Key(VK_SPACE, 0x39, 0, LEFT_CTRL_PRESSED | extraState);
    } else if (b == 0x08) {
        // Most terminals send 0x08 for Ctrl+Backspace; Windows gives it 0x7F.
        Key(VK_BACK, 0x0E, 0x7F, LEFT_CTRL_PRESSED | extraState);
    } else if (b == 0x09) {
        Key(VK_TAB, 0x0F, 0x09, extraState);
    } else if (b == 0x0A || b == 0x0D) {
        Key(VK_RETURN, 0x1C, 0x0D, extraState);
    } else if (b < 0x1B) {
        Key(static_cast<WORD>(0x40 + b), kLetterScan[b - 1], b, LEFT_CTRL_PRESSED | extraState);
    } else if (b == kEsc) {
        Key(VK_ESCAPE, 0x01, kEsc, extraState);
    } else if (b == 0x1C) {
        Key(VK_OEM_5, 0x2B, b, LEFT_CTRL_PRESSED | extraState);
    } else if (b == 0x1D) {
        Key(VK_OEM_6, 0x1B, b, LEFT_CTRL_PRESSED | extraState);
    } else if (b == 0x1E) {
        Key('6', 0x07, b, LEFT_CTRL_PRESSED | SHIFT_PRESSED | extraState);
    } else if (b == 0x1F) {
        Key(VK_OEM_MINUS, 0x0C, b, LEFT_CTRL_PRESSED | SHIFT_PRESSED | extraState);
    } else if (b == 0x7F) {
        // Most terminals send DEL for the Backspace key.
        Key(VK_BACK, 0x0E, 0x08, extraState);
    } else if (b >= 0x80) {
        Key(0, 0, b, extraState);
    } else {
        const KeyInfo info = PrintableKey(b);
        Key(info.Vk, info.Scan, b, (info.Shift ? SHIFT_PRESSED : 0) | extraState);
    }
}

// Resolves a pending ESC or incomplete sequence into the keys that typed it.
void KeyDecoder::Flush() {
    const std::string bytes = pending_;
    pending_.clear();
    if (bytes.size() == 1) {
        Plain(kEsc, 0);
        return;
    }
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        Plain(static_cast<unsigned char>(bytes[i]), i == 1 ? LEFT_ALT_PRESSED : 0);
    }
}

void KeyDecoder::Timeout() {
    skipping_ = false;
    if (!pending_.empty()) {
        Flush();
    }
}

void KeyDecoder::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (skipping_) {
            // Parameter and intermediate bytes of an over-long sequence are
            // skipped; its final byte ends it, anything else starts afresh.
            if (b >= 0x20 && b <= 0x7E) {
                skipping_ = b < 0x40;
                continue;
            }
            skipping_ = false;
        }
        if (pending_.empty()) {
            if (b == kEsc) {
                pending_.push_back(static_cast<char>(b));
            } else {
                Plain(b, 0);
            }
        } else {
            Continue(b);
        }
    }
}

// The next byte after a pending ESC or sequence prefix.
void KeyDecoder::Continue(unsigned char b) {
    if (pending_.size() == 1) {
        if (b == '[' || b == 'O') {
            pending_.push_back(static_cast<char>(b));
        } else if (b == kEsc) {
            // Two ESCs in a row: the first one was the Escape key.
            Plain(kEsc, 0);
        } else {
            pending_.clear();
            Plain(b, LEFT_ALT_PRESSED);
        }
        return;
    }
    if (b < 0x20 || b > 0x7E) {
        // Not part of any sequence: what was pending was typed, then this.
        Flush();
        if (b == kEsc) {
            pending_.push_back(static_cast<char>(b));
        } else {
            Plain(b, 0);
        }
        return;
    }
    if (b >= 0x40) {
        Finish(static_cast<char>(b));
        return;
    }
    pending_.push_back(static_cast<char>(b));
    if (pending_.size() >= kMaxPending) {
        pending_.clear();
        skipping_ = true;
    }
}

// A complete CSI or SS3 sequence with its final byte; unknown ones are dropped.
void KeyDecoder::Finish(char final) {
    const bool ss3 = pending_[1] == 'O';
    std::vector<int> params;
    const bool valid = ParseParameters(pending_.substr(2), params);
    pending_.clear();
    if (!valid) {
        return;
    }
    const DWORD mods = params.size() > 1 ? ModifierState(params[1]) : 0;
    const DWORD enhanced = ENHANCED_KEY | mods;
    switch (final) {
    case 'A':
        return Key(VK_UP, 0x48, 0, enhanced);
    case 'B':
        return Key(VK_DOWN, 0x50, 0, enhanced);
    case 'C':
        return Key(VK_RIGHT, 0x4D, 0, enhanced);
    case 'D':
        return Key(VK_LEFT, 0x4B, 0, enhanced);
    case 'H':
        return Key(VK_HOME, 0x47, 0, enhanced);
    case 'F':
        return Key(VK_END, 0x4F, 0, enhanced);
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
        return Key(static_cast<WORD>(VK_F1 + (final - 'P')),
                   static_cast<WORD>(0x3B + (final - 'P')), 0, mods);
    default:
        break;
    }
    if (ss3) {
        return;
    }
    if (final == 'Z') {
        return Key(VK_TAB, 0x0F, 0x09, SHIFT_PRESSED | mods);
    }
    if (final != '~') {
        return;
    }
    switch (params[0]) {
    case 1:
    case 7:
        return Key(VK_HOME, 0x47, 0, enhanced);
    case 4:
    case 8:
        return Key(VK_END, 0x4F, 0, enhanced);
    case 2:
        return Key(VK_INSERT, 0x52, 0, enhanced);
    case 3:
        return Key(VK_DELETE, 0x53, 0, enhanced);
    case 5:
        return Key(VK_PRIOR, 0x49, 0, enhanced);
    case 6:
        return Key(VK_NEXT, 0x51, 0, enhanced);
    case 11:
    case 12:
    case 13:
    case 14:
        return Key(static_cast<WORD>(VK_F1 + params[0] - 11), 0x3B + params[0] - 11, 0, mods);
    case 15:
        return Key(VK_F5, 0x3F, 0, mods);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return Key(static_cast<WORD>(VK_F6 + params[0] - 17), 0x40 + params[0] - 17, 0, mods);
    case 23:
        return Key(VK_F11, 0x57, 0, mods);
    case 24:
        return Key(VK_F12, 0x58, 0, mods);
    default:
        return;
    }
}

} // namespace WinApi
