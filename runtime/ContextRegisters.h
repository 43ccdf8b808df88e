// The few registers of a fault's CONTEXT that the runtime reads and changes,
// and what a frame is. 32-bit and 64-bit Windows name the registers
// differently (Eip and Rip, Ebp and Rbp; the x87 words in FloatSave or
// FltSave, MXCSR in the FXSAVE image that ExtendedRegisters holds or in
// FltSave); this header is the one place that knows which.
//
// A frame names one active routine for the stack dump. On Linux and 32-bit
// Windows it is the routine's frame pointer, and frames chain through the
// saved frame pointers. On 64-bit Windows the frame pointer register is no
// chain (the compiler places it anywhere in the frame), so a frame is the
// routine's stack pointer after its prologue, and the dump walks the
// system's unwind tables instead.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

#if defined(_WIN64)
// The frame of the routine that called the one this is used in, and of the
// routine this is used in: on 64-bit Windows, a routine's stack pointer is
// the canonical frame address of the routine it calls.
#define RUNTIME_CALLER_FRAME() (__builtin_dwarf_cfa())
#else
#define RUNTIME_CALLER_FRAME() (*static_cast<void**>(__builtin_frame_address(0)))
#endif

namespace Runtime::ContextRegisters {

// Moves the stack pointer down to where a call would leave it at the first
// instruction of the called routine: the return address's slot below a
// 16-byte boundary. Nothing is written there, since the system's exception
// dispatch may still be using the stack below the fault.
inline std::uintptr_t CallEntryStack(std::uintptr_t top) {
    return (top & ~std::uintptr_t{15}) - sizeof(void*);
}

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
inline std::uint32_t Mxcsr(const CONTEXT& context) {
    DWORD mxcsr;
    std::memcpy(&mxcsr, context.ExtendedRegisters + 24, sizeof mxcsr);
    return mxcsr;
}
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

inline std::uint32_t Mxcsr(const CONTEXT& context) {
    return context.MxCsr;
}
inline void ClearFloatExceptions(CONTEXT& context) {
    context.FltSave.StatusWord &= X87StatusKept;
    context.FltSave.MxCsr &= ~MxcsrExceptionFlags;
    context.MxCsr &= ~MxcsrExceptionFlags;
}

#endif

// The frame whose routine faulted: the frame pointer, or on 64-bit Windows
// the stack pointer (see above).
inline void* FaultFrame(const CONTEXT& context) {
#if defined(_WIN64)
    return StackPointer(context);
#else
    return FramePointer(context);
#endif
}

#if defined(_WIN64)

// The faulting thread's registers, kept by the exception filter so that the
// dump can unwind from the fault; one fault is reported per process.
inline CONTEXT KeptFault{};

// Steps context from a routine to its caller by the unwind tables; false
// at the outermost routine or where the caller cannot be known. A routine
// without unwind data is a leaf that has not moved the stack pointer, so
// its return address is on top of the stack; that address must itself lie
// in code with unwind data, else the routine was no such leaf.
inline bool UnwindToCaller(CONTEXT& context) {
    DWORD64 imageBase = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    if (!function) {
        DWORD64 returnAddress = *reinterpret_cast<const DWORD64*>(context.Rsp);
        if (!RtlLookupFunctionEntry(returnAddress, &imageBase, nullptr))
            return false;
        context.Rip = returnAddress;
        context.Rsp += sizeof(DWORD64);
        return true;
    }
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                     &establisher, nullptr);
    return context.Rip != 0;
}

// Calls visit with each return address from the routine of frame upwards,
// until visit answers false or the routine of stopFrame has returned.
template <class Visit>
void WalkReturnAddresses(void* frame, void* stopFrame, Visit visit) {
    CONTEXT context{};
    const auto target = reinterpret_cast<DWORD64>(frame);
    if (KeptFault.Rsp == target) {
        context = KeptFault;
    } else {
        RtlCaptureContext(&context);
        while (context.Rsp < target)
            if (!UnwindToCaller(context))
                return;
        if (context.Rsp != target)
            return;
    }
    const auto stop = reinterpret_cast<DWORD64>(stopFrame);
    while (UnwindToCaller(context)) {
        if (!visit(reinterpret_cast<void*>(context.Rip)))
            return;
        if (stop != 0 && context.Rsp >= stop)
            return;
    }
}

#endif

} // namespace Runtime::ContextRegisters
