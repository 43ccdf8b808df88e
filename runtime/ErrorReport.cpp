// The run-time error report and its stack dump.
//
// The dump walks the chain of frame pointers: every frame holds the caller's
// frame pointer, then the return address into the caller. Code built without
// frame pointers (the system's libraries) leaves an arbitrary value in that
// chain, so the walk only ever moves up the stack, in small steps, and stops
// at the process entry's frame; it never reads a slot it cannot trust to be
// stack memory. On 64-bit Windows the system's unwind tables give the frames
// (see ContextRegisters.h).
#include "runtime/ErrorReport.h"

#include "runtime/ContextRegisters.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

namespace Runtime {

std::uint16_t MaxFrameDump = 8;
void* EntryFrame = nullptr;

namespace {

constexpr char HexTbl[] = "0123456789ABCDEF";

// No thread's stack is larger than this (the usual reservation is 8 MiB): a
// next frame further above the first one is not on the same stack.
constexpr std::intptr_t MaxStackSpan = std::intptr_t{8} << 20;

constexpr std::int32_t MaxFrameLines = 256;

std::intptr_t AsInteger(const void* pointer) {
    return reinterpret_cast<std::intptr_t>(pointer);
}

// Whether the chain may be followed from frame current (already read) to
// next: upwards, aligned, and within the stack that holds the first frame.
bool MayFollow(std::intptr_t first, std::intptr_t current, std::intptr_t next) {
    if (next <= current || next % alignof(void*) != 0)
        return false;
    if (next - first > MaxStackSpan)
        return false;
    // At and above the entry frame start the system's own frames, when the
    // walk is on the main thread's stack.
    std::intptr_t entry = AsInteger(EntryFrame);
    bool onEntryStack = entry != 0 && first <= entry && entry - first <= MaxStackSpan;
    return !onEntryStack || current < entry;
}

} // namespace

ShortString<> HexStr(std::uint64_t value, std::uint8_t digits) {
    ShortString<> text;
    for (int i = digits - 1; i >= 0; --i)
        text.Append(i < 16 ? HexTbl[(value >> (4 * i)) & 0xF] : '0');
    return text;
}

ShortString<> SysBacktraceStr(const void* address) {
    ShortString<> digits = HexStr(static_cast<std::uint64_t>(AsInteger(address)), 8);
    ShortString<> text("  0x");
    for (char c : digits.View())
        text.Append(c);
    return text;
}

void DumpStack(TextRec& file, void* frame) {
    bool isDevice = GetFileType(file.Handle) == FILE_TYPE_CHAR;
#if defined(_WIN64)
    std::int32_t lines = 0;
    ContextRegisters::WalkReturnAddresses(frame, EntryFrame, [&](void* address) {
        WriteLn(file, SysBacktraceStr(address));
        ++lines;
        return !((isDevice && lines > MaxFrameDump) || lines >= MaxFrameLines);
    });
    return;
#endif
    std::intptr_t first = AsInteger(frame);
    std::intptr_t current = first;
    std::int32_t count = 0;
    for (;;) {
        void** slots = reinterpret_cast<void**>(current);
        if (slots && slots[1])
            WriteLn(file, SysBacktraceStr(slots[1]));
        ++count;
        if ((isDevice && count > MaxFrameDump) || count > MaxFrameLines)
            return;
        std::intptr_t next = slots ? AsInteger(slots[0]) : 0;
        if (!MayFollow(first, current, next))
            return;
        current = next;
    }
}

void WriteRunErrorReport() {
    // The process is ending: a result still pending from earlier I/O must not
    // swallow the report.
    InOutRes = 0;
    Write(StdOut, "Runtime error ");
    Write(StdOut, ErrorCode);
    Write(StdOut, " at 0x");
    Write(StdOut, HexStr(static_cast<std::uint64_t>(AsInteger(ErrorAddr)), 8).View());
    WriteLn(StdOut);
    WriteLn(StdOut, SysBacktraceStr(ErrorAddr));
    DumpStack(StdOut, ErrorBase);
    WriteLn(StdOut);
}

} // namespace Runtime
