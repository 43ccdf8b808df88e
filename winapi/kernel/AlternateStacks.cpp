// Alternate signal stacks, so that a thread that has used up its own stack
// can still be told so. The layer's own threads get one in their start
// routine; every other thread of the process (those a library such as the
// desktop's starts, or the C++ library's) gets one because the layer stands
// in for pthread_create: the program's definition comes before the C
// library's, and this one starts the thread through a routine that sets up
// the stack and then calls the real one.
#include "kernel/FaultStack.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

namespace WinApi {
namespace {

constexpr std::size_t AlternateStackSize = 64 * 1024;

struct StartRoutine {
    void* (*Routine)(void*);
    void* Argument;
};

void* StartWithFaultStack(void* argument) {
    // Taken apart first: the thread may run for the rest of the process.
    auto* start = static_cast<StartRoutine*>(argument);
    const StartRoutine routine = *start;
    std::free(start);
    // Also taken down when the routine ends the thread with pthread_exit,
    // which unwinds this frame.
    ThreadFaultStack faultStack;
    return routine.Routine(routine.Argument);
}

} // namespace

ThreadFaultStack::ThreadFaultStack() {
    RecordStackBounds();
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))
        return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t size = AlternateStackSize + page;
    void* mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED)
        return;
    // The lowest page stays out of reach, so that a handler overrunning the
    // stack faults rather than writing over whatever lies below.
    ::mprotect(mapping, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(mapping) + page;
    stack.ss_size = AlternateStackSize;
    if (::sigaltstack(&stack, nullptr) != 0) {
        ::munmap(mapping, size);
        return;
    }
    Mapping = mapping;
    MappingSize = size;
}

ThreadFaultStack::~ThreadFaultStack() {
    if (!Mapping)
        return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    ::sigaltstack(&off, nullptr);
    ::munmap(Mapping, MappingSize);
}

} // namespace WinApi

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*routine)(void*), void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create next = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    if (!next)
        return EAGAIN;
    auto* start = static_cast<WinApi::StartRoutine*>(std::malloc(sizeof(WinApi::StartRoutine)));
    if (!start)
        return EAGAIN;
    *start = {routine, argument};
    const int failed = next(thread, attributes, WinApi::StartWithFaultStack, start);
    if (failed)
        std::free(start);
    return failed;
}
