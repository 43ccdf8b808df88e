// The line editor behind a console read. The line lives in the file's buffer:
// BufPos is the edit position, BufEnd the length. Typing always overwrites
// (there is no insert mode), backspace works only at the end of the line,
// and the line holds at most BufSize - 2 characters so that the CR LF that
// Enter appends always fits. Enter hands over the whole line, also what lies
// right of the edit position. Keys the editor does not know are dropped
// silently. Nothing here knows of graphics.
#include "crt/ConsoleDevice.h"
#include "crt/Crt.h"

namespace Crt {
namespace {

// Extended codes the editor acts on (the second byte of a special key).
constexpr std::uint8_t KeyHome = 71;
constexpr std::uint8_t KeyLeft = 75;
constexpr std::uint8_t KeyRight = 77;
constexpr std::uint8_t KeyEnd = 79;

constexpr std::uint8_t Backspace = 8;
constexpr std::uint8_t CtrlS = 19;
constexpr std::uint8_t CtrlY = 25;
constexpr std::uint8_t CtrlZ = 26;
constexpr std::uint8_t Escape = 27;
constexpr std::uint8_t Enter = 13;
constexpr std::uint8_t LineFeed = 10;

std::uint8_t NextKey() {
    return static_cast<std::uint8_t>(ReadKey());
}

void MoveLeft(Runtime::TextRec& file) {
    --file.BufPos;
    WriteChar('\b');
}

// Moving right shows the character stepped over again.
void MoveRight(Runtime::TextRec& file) {
    WriteChar(file.BufPtr[file.BufPos]);
    ++file.BufPos;
}

void ExtendedKey(Runtime::TextRec& file, std::uint8_t code) {
    switch (code) {
    case KeyHome:
        while (file.BufPos > 0)
            MoveLeft(file);
        break;
    case KeyLeft:
        if (file.BufPos > 0)
            MoveLeft(file);
        break;
    case KeyRight:
        if (file.BufPos < file.BufEnd)
            MoveRight(file);
        break;
    case KeyEnd:
        while (file.BufPos < file.BufEnd)
            MoveRight(file);
        break;
    default:
        break;
    }
}

// Erasing the line backs up over it from its end. On screen that stops at the
// left edge of the row the cursor is on, since backspace never moves up.
void EraseLine(Runtime::TextRec& file) {
    file.BufPos = file.BufEnd;
    while (file.BufEnd > 0)
        BackSpace(file);
}

void Store(Runtime::TextRec& file, std::int32_t at, std::uint8_t code) {
    file.BufPtr[at] = static_cast<char>(code);
}

} // namespace

void BackSpace(Runtime::TextRec& file) {
    if (file.BufPos <= 0 || file.BufPos != file.BufEnd)
        return;
    WriteChar('\b');
    WriteChar(' ');
    WriteChar('\b');
    --file.BufPos;
    --file.BufEnd;
}

std::int32_t CrtRead(Runtime::TextRec& file) {
    GetScreenCursor(CurrX, CurrY);
    file.BufPos = 0;
    file.BufEnd = 0;
    for (bool done = false; !done;) {
        if (file.BufPos > file.BufEnd)
            file.BufEnd = file.BufPos;
        SetScreenCursor(CurrX, CurrY);
        const std::uint8_t key = NextKey();
        switch (key) {
        case 0:
            ExtendedKey(file, NextKey());
            break;
        case Backspace:
        case CtrlS:
            BackSpace(file);
            break;
        case CtrlY:
        case Escape:
            EraseLine(file);
            break;
        case Enter:
            WriteChar('\r');
            WriteChar('\n');
            Store(file, file.BufEnd, Enter);
            Store(file, file.BufEnd + 1, LineFeed);
            file.BufEnd += 2;
            done = true;
            break;
        case CtrlZ:
            if (CheckEOF) {
                Store(file, file.BufEnd, CtrlZ);
                ++file.BufEnd;
                done = true;
            }
            break;
        default:
            if (file.BufPos < file.BufSize - 2) {
                Store(file, file.BufPos, key);
                ++file.BufPos;
                WriteChar(static_cast<char>(key));
            }
            break;
        }
    }
    file.BufPos = 0;
    SetScreenCursor(CurrX, CurrY);
    return 0;
}

} // namespace Crt
