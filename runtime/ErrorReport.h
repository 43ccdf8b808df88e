// The run-time error report: hexadecimal addresses and the stack dump, a
// frame-pointer walk from the frame in which the error happened.
#pragma once

#include "runtime/ShortString.h"
#include "runtime/TextRec.h"

#include <cstdint>

namespace Runtime {

// Frame lines written to a character device before the dump is cut (one more
// than this many are written).
extern std::uint16_t MaxFrameDump;

// The frame of the process entry, recorded by ExeEntry (null before): the
// frames above it belong to the system's start-up code, which may keep no
// frame pointers, so the stack dump never follows the chain past it.
extern void* EntryFrame;

ShortString<> HexStr(std::uint64_t value, std::uint8_t digits);
ShortString<> SysBacktraceStr(const void* address);
void DumpStack(TextRec& file, void* frame);

// Writes the whole report for ErrorCode, ErrorAddr and ErrorBase to StdOut.
void WriteRunErrorReport();

} // namespace Runtime
