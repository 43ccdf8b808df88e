// What the fault handler makes of a signal: the exception record that
// describes the fault, and the CONTEXT that a filter reads and may change,
// written back into the machine context when the thread resumes. Each is
// safe in a signal handler.
#pragma once

#include <windows.h>

#include <csignal>
#include <ucontext.h>

namespace WinApi {

// Fills the code, address and parameters of record (zeroed by the caller).
void DescribeFault(int signal, const siginfo_t& info, const mcontext_t& machine,
                   EXCEPTION_RECORD& record);

void ReadContext(const mcontext_t& machine, CONTEXT& context);
void WriteContext(const CONTEXT& context, mcontext_t& machine);

} // namespace WinApi
