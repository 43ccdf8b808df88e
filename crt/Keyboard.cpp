// Key classification, the extended-code tables and the two key-reading
// operations. KeyPressed drains console input events only until one of them
// yields a key, so a caller that polls never loses keys; ReadKey blocks on
// the input handle between polls rather than spinning. Nothing here knows of
// graphics.
#include "crt/Keyboard.h"

#include "crt/Crt.h"
#include "crt/RedirectedKeys.h"
#include "runtime/StandardFiles.h"

#include <span>

namespace Crt {

std::uint8_t ScanCode = 0;
bool SpecialKey = false;
bool DoingNumChars = false;
std::uint8_t DoingNumCode = 0;

const std::uint8_t CtrlKeypadKeys[13] = {
    119, // 71 Home
    141, // 72 Up
    132, // 73 PgUp
    142, // 74 keypad minus
    115, // 75 Left
    143, // 76 keypad 5
    116, // 77 Right
    78,  // 78 keypad plus keeps its scan code
    117, // 79 End
    145, // 80 Down
    118, // 81 PgDn
    146, // 82 Ins
    147, // 83 Del
};

namespace {

// One row of a remapping table: the scan codes First to Last map to Base,
// Base + 1, ... in order, or, where Codes is given, to Codes[scan - First].
struct ScanCodeRow {
    std::uint16_t First;
    std::uint16_t Last;
    std::uint16_t Base;
    const std::uint8_t* Codes = nullptr;
};

// Scan codes of the standard PC keyboard, set 1. Keys missing from a table
// (letters, and with Alt the keypad's minus, 5 and plus) keep their scan code.
constexpr ScanCodeRow AltRows[] = {
    {2, 13, 120},  // 1 to 9, 0, minus, equals
    {28, 28, 166}, // Enter
    {53, 53, 164}, // slash
    {59, 68, 104}, // F1 to F10
    {71, 73, 151}, // Home, Up, PgUp
    {75, 75, 155}, // Left
    {77, 77, 157}, // Right
    {79, 83, 159}, // End, Down, PgDn, Ins, Del
    {87, 88, 139}, // F11, F12
};

constexpr ScanCodeRow CtrlRows[] = {
    {15, 15, 148},               // Tab
    {53, 53, 149},               // slash
    {55, 55, 150},               // keypad asterisk
    {59, 68, 94},                // F1 to F10
    {71, 83, 0, CtrlKeypadKeys}, // keypad and cursor block
    {87, 88, 137},               // F11, F12
};

constexpr ScanCodeRow ShiftRows[] = {
    {59, 68, 84},  // F1 to F10
    {87, 88, 135}, // F11, F12
};

constexpr ScanCodeRow PlainRows[] = {
    {87, 88, 133}, // F11, F12
};

constexpr WORD VirtualKeyShift = 0x10;
constexpr WORD VirtualKeyControl = 0x11;
constexpr WORD VirtualKeyAlt = 0x12;
constexpr WORD VirtualKeyCapsLock = 0x14;
constexpr WORD VirtualKeyNumLock = 0x90;
constexpr WORD VirtualKeyScrollLock = 0x91;
constexpr WORD VirtualKeyReturn = 0x0D;
constexpr WORD VirtualKeyNumpad0 = 0x60;
constexpr WORD VirtualKeyNumpad9 = 0x69;

std::uint16_t LookUp(std::span<const ScanCodeRow> rows, std::uint16_t scanCode) {
    for (const ScanCodeRow& row : rows) {
        if (scanCode < row.First || scanCode > row.Last)
            continue;
        std::uint16_t index = static_cast<std::uint16_t>(scanCode - row.First);
        return row.Codes ? row.Codes[index] : static_cast<std::uint16_t>(row.Base + index);
    }
    return scanCode;
}

bool IsKeypadDigit(std::uint16_t virtualKey) {
    return virtualKey >= VirtualKeyNumpad0 && virtualKey <= VirtualKeyNumpad9;
}

// Modifier and lock keys are never keys by themselves. Only the low byte of
// the virtual-key code is compared.
bool IsModifierOrLock(std::uint16_t virtualKey) {
    switch (virtualKey & 0xFF) {
    case VirtualKeyShift:
    case VirtualKeyControl:
    case VirtualKeyAlt:
    case VirtualKeyCapsLock:
    case VirtualKeyNumLock:
    case VirtualKeyScrollLock:
        return true;
    default:
        return false;
    }
}

bool ClassifyKeyDown(const KEY_EVENT_RECORD& key) {
    const DWORD state = key.dwControlKeyState;
    const bool alt = (state & (RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED)) != 0;
    if (IsModifierOrLock(key.wVirtualKeyCode))
        return false;
    const auto ascii = static_cast<std::uint8_t>(key.uChar.AsciiChar);
    // The right Alt key is AltGr on many layouts and produces characters of
    // its own, so only the left one turns a character key into a special key.
    if (ascii != 0 && (state & (ENHANCED_KEY | LEFT_ALT_PRESSED)) == 0) {
        SpecialKey = false;
        ScanCode = ascii;
    } else if (ascii == 13 && key.wVirtualKeyCode == VirtualKeyReturn) {
        SpecialKey = false;
        ScanCode = 13;
    } else {
        SpecialKey = true;
        ScanCode = RemapScanCode(key.wVirtualScanCode, state, key.wVirtualKeyCode);
    }
    // Alt with a keypad digit belongs to a decimal entry: the digit has been
    // collected above if it took the special path, and is no key itself.
    if (IsKeypadDigit(key.wVirtualKeyCode) && alt) {
        SpecialKey = false;
        ScanCode = 0;
        return false;
    }
    return true;
}

// Only letting go of Alt counts, and only when it ends a decimal entry with a
// code: the code is then an ordinary key.
bool ClassifyKeyUp(const KEY_EVENT_RECORD& key) {
    if (key.wVirtualKeyCode != VirtualKeyAlt || !DoingNumChars || DoingNumCode == 0)
        return false;
    ScanCode = DoingNumCode;
    DoingNumChars = false;
    DoingNumCode = 0;
    return true;
}

} // namespace

std::uint8_t RemapScanCode(std::uint16_t scanCode, std::uint32_t controlKeyState,
                           std::uint16_t virtualKey) {
    const bool alt = (controlKeyState & (RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED)) != 0;
    const bool ctrl = (controlKeyState & (RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED)) != 0;
    const bool shift = (controlKeyState & SHIFT_PRESSED) != 0;
    std::uint16_t code;
    if (alt) {
        if (IsKeypadDigit(virtualKey)) {
            DoingNumChars = true;
            const int digit = virtualKey - VirtualKeyNumpad0;
            DoingNumCode = static_cast<std::uint8_t>((DoingNumCode * 10 + digit) & 0xFF);
        }
        code = LookUp(AltRows, scanCode);
    } else if (ctrl) {
        code = LookUp(CtrlRows, scanCode);
    } else if (shift) {
        code = LookUp(ShiftRows, scanCode);
    } else {
        code = LookUp(PlainRows, scanCode);
    }
    return static_cast<std::uint8_t>(code & 0xFF);
}

bool ClassifyKeyEvent(const KEY_EVENT_RECORD& key) {
    return key.bKeyDown ? ClassifyKeyDown(key) : ClassifyKeyUp(key);
}

bool KeyPressed() {
    if (ScanCode != 0)
        return true;
    HANDLE input = Runtime::Input.Handle;
    DWORD count = 0;
    if (!GetNumberOfConsoleInputEvents(input, &count))
        return ReadRedirectedKey(input);
    bool found = false;
    while (count > 0 && !found) {
        INPUT_RECORD record{};
        DWORD read = 0;
        ReadConsoleInputA(input, &record, 1, &read);
        // A console that reports events but hands none out would otherwise
        // keep this loop turning.
        if (read == 0)
            break;
        if (record.EventType == KEY_EVENT)
            found = ClassifyKeyEvent(record.Event.KeyEvent);
        if (!found)
            GetNumberOfConsoleInputEvents(input, &count);
    }
    return found;
}

char ReadKey() {
    // The wait comes first on every pass, even with a key pending: it is what
    // paces the loop. Redirected input has no events to wait for; its read
    // blocks by itself.
    for (;;) {
        HANDLE input = Runtime::Input.Handle;
        const DWORD waited =
            IsConsoleInput(input) ? WaitForSingleObject(input, KeyWaitMilliseconds) : WAIT_OBJECT_0;
        if (KeyPressed())
            break;
        // The console's input can never come (its terminal is gone): as at the
        // end of redirected input, Enter ends the line being read instead of
        // this loop turning for ever.
        if (waited == WAIT_FAILED) {
            SpecialKey = false;
            ScanCode = 13;
            break;
        }
    }
    if (SpecialKey) {
        SpecialKey = false;
        return '\0';
    }
    const char key = static_cast<char>(ScanCode);
    ScanCode = 0;
    return key;
}

} // namespace Crt
