// Routines that really fault, for the tests of the exception filter and of
// run-time errors from faults. They are written in assembly so that the
// compiler can neither fold nor move the faulting instruction. Each sets up a
// frame of its own, as compiled code does, and exports a label (its name and
// "At") where the fault is reported: at the faulting instruction, or for the
// x87 unit at the waiting instruction after the one that raised the
// exception. The floating-point routines first load the x87 control word or
// the MXCSR they are given.
//
// One source file of each test program defines them, by defining
// DEFINE_FAULT_ROUTINES before including this header.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
std::int32_t FaultIntegerDivide(); // 1 / 0
void CallIntegerDivide();          // returns to AfterIntegerDivideCall from the division
void FaultNullRead();
void FaultIllegal();
void FaultPrivileged();
void FaultWithoutFrame();  // an illegal instruction with the frame pointer cleared
void FaultStackOverflow(); // recurses, 4 KiB a call, returning to AfterRecursiveCall
void FaultSingleStep();    // sets the trap flag; the step is reported at ...At
void FaultBreakpoint();    // int3
// Each returns what the operation left, should it resume.
long double FaultX87ZeroDivide(std::uint16_t controlWord); // 1 / 0
long double FaultX87Invalid(std::uint16_t controlWord);    // 0 / 0
long double FaultX87Overflow(std::uint16_t controlWord);   // 1 * 2^20000
long double FaultX87Denormal(std::uint16_t controlWord);   // loads the smallest denormal
long double FaultX87StackCheck(std::uint16_t controlWord); // pushes a ninth register
double FaultSseZeroDivide(std::uint32_t mxcsr);            // 1 / 0
double FaultSseInvalid(std::uint32_t mxcsr);               // 0 / 0
double FaultSseInexact(std::uint32_t mxcsr);               // 1 / 3
double FaultSseDenormal(std::uint32_t mxcsr);              // smallest denormal * 1

extern const char FaultIntegerDivideAt[], AfterIntegerDivideCall[], FaultNullReadAt[],
    AfterRecursiveCall[], FaultSingleStepAt[], FaultX87ZeroDivideAt[], FaultX87InvalidAt[],
    FaultX87OverflowAt[], FaultX87DenormalAt[], FaultSseZeroDivideAt[], FaultSseInvalidAt[];
}

namespace FaultTest {

// An address in eight uppercase hexadecimal digits, as reports show it.
inline std::string Hex8(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "%08lX",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

// The addresses a run-time error's report gives, its form checked: the
// heading with the error's number and the faulting address, then that address
// again and the return addresses, a line each, then an empty line. Addresses
// are "0x" and eight uppercase hexadecimal digits; lines end in CR LF. The
// faulting address comes first, then the return addresses.
inline std::vector<std::string> ReportedAddresses(const std::string& report, int errorNumber) {
    const std::string heading = "Runtime error " + std::to_string(errorNumber) + " at 0x";
    if (report.rfind(heading, 0) != 0) {
        ADD_FAILURE() << "no report of error " << errorNumber << ": " << report;
        return {};
    }
    std::vector<std::string> addresses{report.substr(heading.size(), 8)};
    std::size_t at = heading.size() + 8;
    for (; at + 14 <= report.size() && report.compare(at, 6, "\r\n  0x") == 0; at += 14)
        addresses.push_back(report.substr(at + 6, 8));
    EXPECT_EQ(report.substr(std::min(at, report.size())), "\r\n\r\n") << report;
    for (const std::string& address : addresses)
        EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << report;
    EXPECT_TRUE(addresses.size() > 1 && addresses[1] == addresses[0]) << report;
    if (addresses.size() > 1)
        addresses.erase(addresses.begin() + 1);
    return addresses;
}

// Says that the exit hooks ran in a single write to descriptor 1, past any
// buffering a faulting child would lose; a child that cannot ends with 90.
inline void SayExitHooksRan() {
    if (::write(1, "exit hooks\n", 11) < 0)
        ::_exit(90);
}

} // namespace FaultTest

#ifdef DEFINE_FAULT_ROUTINES

// clang-format off
#define FAULT_LABEL(name) ".globl " #name "\n" #name ":\n"
#define FAULT(name, setup, fault) FAULT_LABEL(name) "push %rbp; mov %rsp, %rbp; sub $16, %rsp\n" \
    setup "\n" FAULT_LABEL(name##At) fault "\nleave; ret\n"
#define X87 "fninit; mov %di, (%rsp); fldcw (%rsp);"
#define X87_WAIT "fwait; fstp %st(1)"
#define SSE "mov %edi, (%rsp); ldmxcsr (%rsp);"

asm(".text\n"
    FAULT(FaultIntegerDivide, "mov $1, %eax; xor %ecx, %ecx; cltd", "idiv %ecx")
    FAULT(CallIntegerDivide, "", "call FaultIntegerDivide\n" FAULT_LABEL(AfterIntegerDivideCall))
    FAULT(FaultNullRead, "xor %eax, %eax", "mov (%rax), %eax")
    FAULT(FaultIllegal, "", "ud2")
    FAULT(FaultPrivileged, "", "hlt")
    FAULT(FaultWithoutFrame, "xor %ebp, %ebp", "ud2")
    FAULT(FaultSingleStep, "pushfq; orq $0x100, (%rsp); popfq; nop", "nop")
    FAULT(FaultBreakpoint, "", "int3")
    FAULT(FaultStackOverflow, "sub $4096, %rsp; movq $0, (%rsp)",
          "call FaultStackOverflow\n" FAULT_LABEL(AfterRecursiveCall))
    FAULT(FaultX87ZeroDivide, X87 "fldz; fld1; fdiv %st(1), %st", X87_WAIT)
    FAULT(FaultX87Invalid, X87 "fldz; fldz; fdiv %st(1), %st", X87_WAIT)
    FAULT(FaultX87Overflow, X87 "movl $20000, (%rsp); fildl (%rsp); fld1; fscale", X87_WAIT)
    FAULT(FaultX87Denormal, X87 "fldz; movq $1, 8(%rsp); fldl 8(%rsp)", X87_WAIT)
    FAULT(FaultX87StackCheck, X87 "fld1; fld1; fld1; fld1; fld1; fld1; fld1; fld1; fld1", X87_WAIT)
    FAULT(FaultSseZeroDivide, SSE "mov $1, %eax; cvtsi2sd %eax, %xmm0; xorpd %xmm1, %xmm1",
          "divsd %xmm1, %xmm0")
    FAULT(FaultSseInvalid, SSE "xorpd %xmm0, %xmm0; xorpd %xmm1, %xmm1", "divsd %xmm1, %xmm0")
    FAULT(FaultSseInexact, SSE "mov $1, %eax; cvtsi2sd %eax, %xmm0; mov $3, %eax; "
          "cvtsi2sd %eax, %xmm1", "divsd %xmm1, %xmm0")
    FAULT(FaultSseDenormal, SSE "mov $1, %eax; movq %rax, %xmm0; cvtsi2sd %eax, %xmm1",
          "mulsd %xmm1, %xmm0"));
// clang-format on

#endif
