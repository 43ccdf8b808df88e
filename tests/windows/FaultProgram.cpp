// A program that ends in the run-time error or exit its argument names, for
// the fault reports on Windows: it starts through the process entry as the
// plotter does and then faults, raises an error or halts. The faults are
// plain compiled code, so that the system's unwind tables describe every
// frame between the fault and the entry.
#include "runtime/FloatingPoint.h"
#include "runtime/Lifecycle.h"

#include <windows.h>

#include <cstring>

namespace {

volatile int Zero = 0;
volatile int Hundred = 100;
volatile long double ExtendedZero = 0.0L, ExtendedHuge = 3e9L, ExtendedResult;
volatile double DoubleZero = 0.0, DoubleResult;
volatile int* volatile NullPointer = nullptr;

[[gnu::noinline]] void IntegerDivide() {
    volatile int result = Hundred / Zero;
    (void)result;
}

// Stops only when the stack is gone: Zero never changes.
[[gnu::noinline]] int Recurse(int depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    if (depth < 0 && Zero)
        return 0;
    return Recurse(depth + 1) + block[0];
}

DWORD WINAPI DivideOnThread(LPVOID) {
    IntegerDivide();
    return 0;
}

struct Action {
    const char* Name;
    void (*Run)();
};

// Each action is a function of its own, called through the table.
const Action Actions[] = {
    {"divide", IntegerDivide},
    {"access", [] { *NullPointer = 1; }},
    {"x87", [] { ExtendedResult = 1.0L / ExtendedZero; }},
    {"sse-divide", [] { DoubleResult = 1.0 / DoubleZero; }},
    {"sse-invalid", [] { DoubleResult = DoubleZero / DoubleZero; }},
    {"round", [] { (void)Runtime::Round(ExtendedHuge); }},
    {"overflow", [] { (void)Recurse(0); }},
    {"thread",
     [] {
         HANDLE thread = CreateThread(nullptr, 0, DivideOnThread, nullptr, 0, nullptr);
         WaitForSingleObject(thread, INFINITE);
         CloseHandle(thread);
     }},
    {"runerror", [] { Runtime::RunError(201); }},
    {"halt", [] { Runtime::Halt(3); }},
};

void (*Chosen)() = nullptr;

} // namespace

int main(int argc, char** argv) {
    for (const Action& action : Actions)
        if (argc > 1 && std::strcmp(argv[1], action.Name) == 0)
            Chosen = action.Run;
    if (!Chosen)
        return 1;
    Runtime::ExeEntry([] {
        Runtime::InitializeUnits();
        Chosen();
    });
}
