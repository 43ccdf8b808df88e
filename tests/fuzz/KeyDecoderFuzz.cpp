// libFuzzer harness for the console's terminal key decoder. The input drives
// both the bytes and the way they arrive: each step takes a control byte that
// picks a chunk length or a timeout, so sequences get split at every place a
// read could split them. After every step the decoder must hold no more than
// its pending cap, emit key-down/key-up pairs that match, and hold nothing
// pending after a timeout.
#include "console/tty/KeyDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Consumes all queued events, checking that keys come in matching pairs with
// only the control-key bits the decoder knows; Ctrl and Shift come as records
// of their own around the key.
void DrainPairs(WinApi::KeyDecoder& decoder) {
    Check(decoder.Events().size() % 2 == 0);
    for (INPUT_RECORD down{}, up{}; decoder.Next(down);) {
        const KEY_EVENT_RECORD &d = down.Event.KeyEvent, &u = up.Event.KeyEvent;
        if (d.wVirtualKeyCode == VK_SHIFT || d.wVirtualKeyCode == VK_CONTROL)
            continue;
        Check(decoder.Next(up) && d.bKeyDown && !u.bKeyDown && d.wRepeatCount == 1);
        Check(d.wVirtualKeyCode == u.wVirtualKeyCode &&
              d.uChar.UnicodeChar == u.uChar.UnicodeChar &&
              d.dwControlKeyState == u.dwControlKeyState && (d.dwControlKeyState & ~0x11Bu) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WinApi::KeyDecoder decoder;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t control = data[i++];
        if (control % 8 == 0) {
            decoder.Timeout();
            Check(!decoder.HasPending());
        } else {
            std::size_t length = control % 16 == 15 ? control : control % 8;
            length = std::min(length, size - i);
            decoder.Feed(reinterpret_cast<const char*>(data + i), length);
            i += length;
        }
        Check(decoder.PendingBytes() <= WinApi::KeyDecoder::kMaxPending);
        // Leaving events queued now and then exercises a growing queue.
        if (control & 0x40)
            DrainPairs(decoder);
    }
    decoder.Timeout();
    Check(!decoder.HasPending());
    DrainPairs(decoder);
    return 0;
}
