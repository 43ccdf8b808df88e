// The floating-point environment of the program's threads and the rounding of
// extended reals into 32-bit integers.
#pragma once

#include <cstdint>

namespace Runtime {

// x87 control word: invalid operation, zero divide and overflow unmasked;
// denormal, underflow and precision masked; 64-bit significand; round to
// nearest, ties to even.
extern std::uint16_t FPUCW;

// The SSE control register with the same exception masks.
constexpr std::uint32_t MatchingMXCSR = 0x1900;

// Reinitialises the x87 unit, loads FPUCW, and loads the matching MXCSR
// (pending SSE exception flags cleared).
void InitFpu();

// The same with a control word of the caller's: a thread that keeps its own
// copy of the program's control word loads it with this.
void LoadFpuControlWord(std::uint16_t controlWord);

// Rounds to nearest, ties to even, into a 32-bit integer, raising the
// invalid-operation fault when the value lies outside the 32-bit range, as
// the x87 integer store does.
std::int32_t Round(long double value);

// Cuts towards zero into a 32-bit integer, faulting out of range like Round.
std::int32_t Trunc(long double value);

} // namespace Runtime
