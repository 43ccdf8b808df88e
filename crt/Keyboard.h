// The keyboard: console input events become key codes in the two-byte form,
// where an ordinary key is its character and a special key (function keys,
// the cursor block, keys with Alt, Ctrl or Shift that have no character of
// their own) is a 0 followed by an extended code. While Alt is held, digits on
// the numeric keypad enter a character by its decimal code, delivered when
// Alt is let go. Keys are read on demand from the handle of the standard
// file Input; only the main thread reads them, so nothing here is locked.
// Nothing here knows of graphics.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Crt {

// The pending key: a character, or the extended code of a special key; 0
// when nothing is pending.
extern std::uint8_t ScanCode;
// The pending key is special: ReadKey returns 0 first, then ScanCode.
extern bool SpecialKey;
// A decimal entry with Alt and the keypad is in progress, and its code so
// far, kept modulo 256.
extern bool DoingNumChars;
extern std::uint8_t DoingNumCode;

// Extended codes for Ctrl with the keys of scan codes 71 to 83 (the keypad
// and the cursor block).
extern const std::uint8_t CtrlKeypadKeys[13];

// How long ReadKey waits on the input handle between looks for a key.
constexpr DWORD KeyWaitMilliseconds = 1000;

// The extended code of a special key from its set-1 scan code, by the first
// of Alt, Ctrl and Shift that is held. With Alt it also collects a keypad
// digit into the decimal entry.
std::uint8_t RemapScanCode(std::uint16_t scanCode, std::uint32_t controlKeyState,
                           std::uint16_t virtualKey);

// Looks at one key event; true when it yields a key, which is then pending
// in ScanCode and SpecialKey.
bool ClassifyKeyEvent(const KEY_EVENT_RECORD& key);

} // namespace Crt
