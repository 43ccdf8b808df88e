// The x87 and SSE control state, and conversion of extended reals to 32-bit
// integers by the x87 integer store, which signals an invalid operation for a
// value out of range: a fault when FPUCW is loaded, the integer indefinite
// (0x80000000) when the exception is masked.
#include "runtime/FloatingPoint.h"

namespace Runtime {

std::uint16_t FPUCW = 0x1332;

void LoadFpuControlWord(std::uint16_t controlWord) {
    std::uint32_t mxcsr = MatchingMXCSR;
    asm volatile("fninit\n\t"
                 "fldcw %0\n\t"
                 "ldmxcsr %1"
                 :
                 : "m"(controlWord), "m"(mxcsr));
}

void InitFpu() {
    LoadFpuControlWord(FPUCW);
}

// The fwait delivers a pending unmasked exception here, at the conversion,
// rather than at whatever x87 instruction happens to come next.
std::int32_t Round(long double value) {
    std::int32_t result;
    asm volatile("fistpl %0\n\t"
                 "fwait"
                 : "=m"(result)
                 : "t"(value)
                 : "st");
    return result;
}

std::int32_t Trunc(long double value) {
    std::int32_t result;
    asm volatile("fisttpl %0\n\t"
                 "fwait"
                 : "=m"(result)
                 : "t"(value)
                 : "st");
    return result;
}

} // namespace Runtime
