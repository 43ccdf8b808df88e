// The text-file layer: mode rules, the buffer, and the calls into the device
// operations of a record. Devices are reached only through the record's
// operation slots; the layer never looks at their results, because failures
// travel through InOutRes, and every entry point does nothing while a result
// is pending.
#include "runtime/TextFile.h"

#include "runtime/StandardFiles.h"

#include <cassert>
#include <cstring>

namespace Runtime {
namespace {

// A slot may be empty in a record that was assigned but never bound; calling
// it then would jump to address zero.
void CallOperation(TextFunc operation, TextRec& file) {
    if (operation)
        operation(file);
}

bool IsStandardHandle(HANDLE handle) {
    return handle == StdInputHandle || handle == StdOutputHandle || handle == StdErrorHandle;
}

void Open(TextRec& file, std::uint32_t mode) {
    if (InOutRes != 0)
        return;
    switch (file.Mode) {
    case ModeInput:
    case ModeOutput:
    case ModeInOut:
        Close(file);
        if (InOutRes != 0)
            return;
        break;
    case ModeClosed:
        break;
    default:
        InOutRes = 102;
        return;
    }
    file.Mode = mode;
    file.BufPos = 0;
    file.BufEnd = 0;
    CallOperation(file.OpenFunc, file);
    if (InOutRes != 0)
        file.Mode = ModeClosed;
}

bool ReadyForWriting(TextRec& file) {
    if (InOutRes != 0)
        return false;
    if (file.Mode == ModeOutput)
        return true;
    InOutRes = file.Mode == ModeInput ? 105 : 103;
    return false;
}

// Copies characters into the buffer, emptying it through InOutFunc each time
// it is full and more characters wait.
void PutChars(TextRec& file, const char* chars, std::size_t count) {
    while (count > 0) {
        std::size_t space = static_cast<std::size_t>(file.BufSize - file.BufPos);
        std::size_t part = count < space ? count : space;
        std::memcpy(file.BufPtr + file.BufPos, chars, part);
        file.BufPos += static_cast<std::int32_t>(part);
        chars += part;
        count -= part;
        if (count == 0)
            return;
        CallOperation(file.InOutFunc, file);
        if (InOutRes != 0)
            return;
        assert(file.BufPos == 0 && "a device's output operation must empty the buffer");
    }
}

// Refills an exhausted input buffer; false when no data came (end of data or
// a failure), after which the read ends.
bool Refill(TextRec& file) {
    CallOperation(file.InOutFunc, file);
    if (InOutRes != 0)
        return false;
    if (file.BufPos < file.BufEnd)
        return true;
    CallOperation(file.FlushFunc, file);
    return false;
}

} // namespace

void Assign(TextRec& file, std::string_view name) {
    file = TextRec{};
    file.Handle = INVALID_HANDLE_VALUE;
    file.Mode = ModeClosed;
    file.BufSize = TextBufferSize;
    file.BufPtr = file.Buffer;
    std::size_t length = name.size() < sizeof file.Name ? name.size() : sizeof file.Name - 1;
    std::memcpy(file.Name, name.data(), length);
    file.Name[length] = '\0';
}

void Rewrite(TextRec& file) {
    Open(file, ModeOutput);
}

void Reset(TextRec& file) {
    Open(file, ModeInput);
}

void Close(TextRec& file) {
    if (InOutRes != 0)
        return;
    switch (file.Mode) {
    case ModeInput:
    case ModeOutput:
    case ModeAppend:
        break;
    default:
        InOutRes = 103;
        return;
    }
    // What is buffered goes out before the device is closed; a failure here is
    // recorded and the file is closed all the same.
    if (file.Mode == ModeOutput)
        CallOperation(file.InOutFunc, file);
    if (!IsStandardHandle(file.Handle))
        CallOperation(file.CloseFunc, file);
    file.Mode = ModeClosed;
    file.BufPos = 0;
    file.BufEnd = 0;
}

void Write(TextRec& file, std::string_view text) {
    if (ReadyForWriting(file))
        PutChars(file, text.data(), text.size());
}

void Write(TextRec& file, char c) {
    if (ReadyForWriting(file))
        PutChars(file, &c, 1);
}

void Write(TextRec& file, std::int64_t number) {
    char digits[24];
    char* first = digits + sizeof digits;
    // Works on the magnitude as unsigned, so that the most negative value
    // needs no special case.
    std::uint64_t magnitude =
        number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (number < 0)
        *--first = '-';
    Write(file, std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)));
}

void WriteLn(TextRec& file) {
    if (!ReadyForWriting(file))
        return;
    PutChars(file, "\r\n", 2);
    if (InOutRes == 0)
        CallOperation(file.FlushFunc, file);
}

void WriteLn(TextRec& file, std::string_view text) {
    Write(file, text);
    WriteLn(file);
}

void ReadLn(TextRec& file) {
    if (InOutRes != 0)
        return;
    if (file.Mode != ModeInput) {
        InOutRes = file.Mode == ModeOutput || file.Mode == ModeAppend ? 104 : 103;
        return;
    }
    for (;;) {
        if (file.BufPos >= file.BufEnd && !Refill(file))
            return;
        char c = file.BufPtr[file.BufPos++];
        if (c == '\n')
            return;
        if (c == '\r') {
            // Only a LF already in the buffer belongs to this line end: waiting
            // for more input here would block an interactive reader.
            if (file.BufPos < file.BufEnd && file.BufPtr[file.BufPos] == '\n')
                ++file.BufPos;
            return;
        }
    }
}

} // namespace Runtime
