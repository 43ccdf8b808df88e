// The text-file layer: opening, buffered writing, line reading and closing of
// a TextRec, driving the record's device operations. Every operation does
// nothing while an I/O result is pending (InOutRes non-zero); failures are
// recorded in InOutRes and become run-time errors at the next IOCheck.
#pragma once

#include "runtime/TextRec.h"

#include <concepts>
#include <cstdint>
#include <string_view>

namespace Runtime {

// Resets the record as an unnamed (or named) closed file with its own buffer
// and no operations; whoever binds the file fills the operations.
void Assign(TextRec& file, std::string_view name);

void Rewrite(TextRec& file); // open for output
void Reset(TextRec& file);   // open for input
void Close(TextRec& file);

void Write(TextRec& file, std::string_view text);
void Write(TextRec& file, char c);
void Write(TextRec& file, std::int64_t number); // decimal

// Any other integer within the signed 64-bit range is written in decimal
// too: without this, an int or a 16-bit code would be ambiguous between the
// character and the number.
template <class T>
concept DecimalInteger = std::integral<T> && !std::same_as<T, char> && !std::same_as<T, bool>;

template <DecimalInteger T>
void Write(TextRec& file, T number) {
    Write(file, static_cast<std::int64_t>(number));
}

void WriteLn(TextRec& file); // CR LF, then FlushFunc
void WriteLn(TextRec& file, std::string_view text);

// Reads and discards the rest of the current line.
void ReadLn(TextRec& file);

} // namespace Runtime
