// Prints the console's key-down records, one a line as "vk scan char state"
// in hex, until Enter is pressed: what the console makes of the keys typed
// on its terminal.
#include <windows.h>

#include <cstdio>

int main() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputA(input, &record, 1, &read) || read == 0)
            return 1;
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown)
            continue;
        const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        if (key.wVirtualKeyCode == VK_RETURN)
            return 0;
        std::printf("%02X %02X %02X %03lX\n", key.wVirtualKeyCode, key.wVirtualScanCode,
                    static_cast<unsigned char>(key.uChar.AsciiChar),
                    static_cast<unsigned long>(key.dwControlKeyState));
        std::fflush(stdout);
    }
}
