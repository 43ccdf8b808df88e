// Recognising a stack overflow: each thread records its own stack's bounds
// when its fault stack is set up, and a fault close to the stack pointer or
// in the guard area below the stack is the thread running out of stack.
#include "kernel/FaultStack.h"

#include <pthread.h>

namespace WinApi {
namespace {

// How far from the stack pointer a fault still counts as running out of
// stack: a frame is set up by moving the stack pointer and then touching the
// new frame, and the first touch may lie anywhere in it.
constexpr std::uintptr_t FrameReach = 64 * 1024;

// The calling thread's stack: its lowest usable byte (0 when unknown) and how
// far below it an access counts as one into the guard area.
thread_local std::uintptr_t StackLow = 0;
thread_local std::uintptr_t GuardReach = 0;

} // namespace

void RecordStackBounds() {
    pthread_attr_t attributes;
    if (::pthread_getattr_np(::pthread_self(), &attributes) != 0)
        return;
    void* low = nullptr;
    std::size_t size = 0;
    std::size_t guard = 0;
    if (::pthread_attr_getstack(&attributes, &low, &size) == 0) {
        ::pthread_attr_getguardsize(&attributes, &guard);
        StackLow = reinterpret_cast<std::uintptr_t>(low);
        // The main thread reports no guard; the kernel keeps a gap below its
        // stack instead.
        GuardReach = guard > FrameReach ? guard : FrameReach;
    }
    ::pthread_attr_destroy(&attributes);
}

bool IsStackOverflow(std::uintptr_t address, std::uintptr_t stackPointer) {
    const bool nearStackPointer = address <= stackPointer ? stackPointer - address <= FrameReach
                                                          : address - stackPointer < FrameReach;
    const bool inGuard = StackLow != 0 && address < StackLow && StackLow - address <= GuardReach;
    return nearStackPointer || inGuard;
}

} // namespace WinApi
