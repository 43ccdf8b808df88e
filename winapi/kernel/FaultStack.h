// What the fault handler needs from each thread: an alternate signal stack,
// so that a thread that has used up its own stack can still be told so, and
// the bounds of the thread's own stack, so that the handler can tell a stack
// overflow from any other access violation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace WinApi {

// Set up on the thread it serves, for as long as it lives: every thread's
// start routine holds one, and the thread that first installs an exception
// filter (the main thread) gets one that is never taken down. A thread that
// already has an alternate stack (a sanitizer gives every thread one) keeps
// it; the bounds are recorded in every case.
class ThreadFaultStack {
public:
    ThreadFaultStack();
    ~ThreadFaultStack();
    ThreadFaultStack(const ThreadFaultStack&) = delete;
    ThreadFaultStack& operator=(const ThreadFaultStack&) = delete;

private:
    void* Mapping = nullptr;
    std::size_t MappingSize = 0;
};

// Notes the calling thread's stack bounds for IsStackOverflow; the fault
// stack does it for the thread it serves.
void RecordStackBounds();

// Whether a fault at address, with the stack pointer at stackPointer, is the
// calling thread running out of stack. Safe in a signal handler.
bool IsStackOverflow(std::uintptr_t address, std::uintptr_t stackPointer);

} // namespace WinApi
