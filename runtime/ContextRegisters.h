// The few registers of a fault's CONTEXT that the runtime reads and changes.
// 32-bit and 64-bit Windows name them differently (Eip and Rip, Ebp and Rbp;
// the x87 words in FloatSave or FltSave, MXCSR in the FXSAVE image that
// ExtendedRegisters holds or in FltSave); this header is the one place that
// knows which.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace Runtime::ContextRegisters {

// What clearing the pending exceptions keeps of the x87 status word: the
// condition codes and the top of the register stack, but not the six
// exception flags, the stack fault, the error summary or busy. MXCSR loses
// its six exception flags.
constexpr std::uint16_t X87StatusKept = 0x7F00;
constexpr std::uint32_t MxcsrExceptionFlags = 0x3F;

#if defined(_M_IX86) || defined(__i386__)

inline void SetInstructionPointer(CONTEXT& context, void (*code)()) {
    context.Eip = reinterpret_cast<DWORD>(code);
}
inline void* FramePointer(const CONTEXT& context) {
    return reinterpret_cast<void*>(context.Ebp);
}
inline void* StackPointer(const CONTEXT& context) {
    return reinterpret_cast<void*>(context.Esp);
}
inline void SetStackPointer(CONTEXT& context, void* top) {
    context.Esp = reinterpret_cast<DWORD>(top);
}

// MXCSR sits at byte 24 of the FXSAVE image.
inline void ClearFloatExceptions(CONTEXT& context) {
    context.FloatSave.StatusWord &= X87StatusKept;
    DWORD mxcsr;
    std::memcpy(&mxcsr, context.ExtendedRegisters + 24, sizeof mxcsr);
    mxcsr &= ~MxcsrExceptionFlags;
    std::memcpy(context.ExtendedRegisters + 24, &mxcsr, sizeof mxcsr);
}

#else

inline void SetInstructionPointer(CONTEXT& context, void (*code)()) {
    context.Rip = reinterpret_cast<DWORD64>(code);
}
inline void* FramePointer(const CONTEXT& context) {
    return reinterpret_cast<void*>(context.Rbp);
}
inline void* StackPointer(const CONTEXT& context) {
    return reinterpret_cast<void*>(context.Rsp);
}
inline void SetStackPointer(CONTEXT& context, void* top) {
    context.Rsp = reinterpret_cast<DWORD64>(top);
}

inline void ClearFloatExceptions(CONTEXT& context) {
    context.FltSave.StatusWord &= X87StatusKept;
    context.FltSave.MxCsr &= ~MxcsrExceptionFlags;
    context.MxCsr &= ~MxcsrExceptionFlags;
}

#endif

} // namespace Runtime::ContextRegisters
