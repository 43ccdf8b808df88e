// A key press as the console queues it: a key-down record and then the same
// record as key-up, for the terminal's decoder and for the headless console.
#pragma once

#include <windows.h>

namespace WinApi {

template <class Queue>
void PushKeyPress(Queue&& push, WORD virtualKey, WORD scanCode, unsigned char character,
                  DWORD controlKeyState) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    key.bKeyDown = TRUE;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = virtualKey;
    key.wVirtualScanCode = scanCode;
    key.uChar.UnicodeChar = character;
    key.dwControlKeyState = controlKeyState;
    push(record);
    key.bKeyDown = FALSE;
    push(record);
}

} // namespace WinApi
