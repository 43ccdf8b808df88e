// Keys from redirected standard input, one byte at a time, so that nothing is
// read ahead of the line that asks for it (see RedirectedKeys.h for the
// choices). Nothing here knows of graphics.
#include "crt/RedirectedKeys.h"

#include "crt/Keyboard.h"

#include <cstdint>

namespace Crt {
namespace {

constexpr std::uint8_t Enter = 13;

// The last byte taken was a CR, so an LF right behind it is the same line end.
bool AfterCarriageReturn = false;

} // namespace

bool IsConsoleInput(HANDLE handle) {
    DWORD count = 0;
    return GetNumberOfConsoleInputEvents(handle, &count) != FALSE;
}

bool ReadRedirectedKey(HANDLE handle) {
    SpecialKey = false;
    for (;;) {
        std::uint8_t byte = 0;
        DWORD got = 0;
        if (!ReadFile(handle, &byte, 1, &got, nullptr) || got == 0) {
            AfterCarriageReturn = false;
            ScanCode = Enter;
            return true;
        }
        const bool lineFeedOfCrLf = byte == '\n' && AfterCarriageReturn;
        AfterCarriageReturn = byte == '\r';
        if (lineFeedOfCrLf || byte == 0)
            continue;
        ScanCode = byte == '\n' ? Enter : byte;
        return true;
    }
}

} // namespace Crt
