// Translation between the machine context a signal handler receives and the
// Windows CONTEXT an exception filter reads and may change: general
// registers, flags, selectors and the floating-point state.
#include "kernel/SignalContext.h"

#include <cstdint>
#include <cstring>

namespace WinApi {
namespace {

// The kernel saves the floating-point state in XSAVE form when it can; a
// component whose bit is clear in the saved header is restored to its initial
// state, whatever its legacy area holds.
constexpr std::uint32_t XsaveMagic = 0x46505853;
constexpr std::size_t SoftwareBytesOffset = 464;
constexpr std::size_t XsaveHeaderOffset = 512;
constexpr std::uint64_t X87AndSse = 0x3;

bool HasXsaveHeader(const _libc_fpstate& state) {
    std::uint32_t magic = 0;
    std::memcpy(&magic, reinterpret_cast<const char*>(&state) + SoftwareBytesOffset, sizeof magic);
    return magic == XsaveMagic;
}

} // namespace

void ReadContext(const mcontext_t& machine, CONTEXT& context) {
    const greg_t* g = machine.gregs;
    auto reg = [g](int index) { return static_cast<DWORD64>(g[index]); };
    context.ContextFlags = CONTEXT_FULL | CONTEXT_SEGMENTS;
    context.Rax = reg(REG_RAX);
    context.Rcx = reg(REG_RCX);
    context.Rdx = reg(REG_RDX);
    context.Rbx = reg(REG_RBX);
    context.Rsp = reg(REG_RSP);
    context.Rbp = reg(REG_RBP);
    context.Rsi = reg(REG_RSI);
    context.Rdi = reg(REG_RDI);
    context.R8 = reg(REG_R8);
    context.R9 = reg(REG_R9);
    context.R10 = reg(REG_R10);
    context.R11 = reg(REG_R11);
    context.R12 = reg(REG_R12);
    context.R13 = reg(REG_R13);
    context.R14 = reg(REG_R14);
    context.R15 = reg(REG_R15);
    context.Rip = reg(REG_RIP);
    // The flags register's upper half is reserved and always zero.
    context.EFlags = static_cast<DWORD>(reg(REG_EFL) & 0xFFFFFFFFu);
    // Code, GS, FS and stack selectors, 16 bits each from the low end.
    std::uint16_t selectors[4];
    std::memcpy(selectors, &g[REG_CSGSFS], sizeof selectors);
    context.SegCs = selectors[0];
    context.SegGs = selectors[1];
    context.SegFs = selectors[2];
    context.SegSs = selectors[3];
    if (const _libc_fpstate* state = machine.fpregs) {
        static_assert(sizeof(*state) == sizeof(context.FltSave));
        std::memcpy(&context.FltSave, state, sizeof context.FltSave);
        context.MxCsr = context.FltSave.MxCsr;
    }
}

void WriteContext(const CONTEXT& context, mcontext_t& machine) {
    greg_t* g = machine.gregs;
    auto set = [g](int index, DWORD64 value) { g[index] = static_cast<greg_t>(value); };
    set(REG_RAX, context.Rax);
    set(REG_RCX, context.Rcx);
    set(REG_RDX, context.Rdx);
    set(REG_RBX, context.Rbx);
    set(REG_RSP, context.Rsp);
    set(REG_RBP, context.Rbp);
    set(REG_RSI, context.Rsi);
    set(REG_RDI, context.Rdi);
    set(REG_R8, context.R8);
    set(REG_R9, context.R9);
    set(REG_R10, context.R10);
    set(REG_R11, context.R11);
    set(REG_R12, context.R12);
    set(REG_R13, context.R13);
    set(REG_R14, context.R14);
    set(REG_R15, context.R15);
    set(REG_RIP, context.Rip);
    set(REG_EFL, context.EFlags); // the kernel keeps the flags user mode may not change
    _libc_fpstate* state = machine.fpregs;
    if (!state)
        return;
    // MXCSR is in the context twice; a filter may have changed either copy.
    const DWORD mxcsr = context.MxCsr != state->mxcsr ? context.MxCsr : context.FltSave.MxCsr;
    const DWORD writable = state->mxcr_mask ? state->mxcr_mask : 0xFFBFu;
    state->cwd = context.FltSave.ControlWord;
    state->swd = context.FltSave.StatusWord;
    state->ftw = context.FltSave.TagWord;
    state->mxcsr = mxcsr & writable;
    static_assert(sizeof state->_st == sizeof context.FltSave.FloatRegisters);
    static_assert(sizeof state->_xmm == sizeof context.FltSave.XmmRegisters);
    std::memcpy(state->_st, context.FltSave.FloatRegisters, sizeof state->_st);
    std::memcpy(state->_xmm, context.FltSave.XmmRegisters, sizeof state->_xmm);
    if (HasXsaveHeader(*state)) {
        char* header = reinterpret_cast<char*>(state) + XsaveHeaderOffset;
        std::uint64_t present = 0;
        std::memcpy(&present, header, sizeof present);
        present |= X87AndSse;
        std::memcpy(header, &present, sizeof present);
    }
}

} // namespace WinApi
