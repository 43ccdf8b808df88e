// The whole program, start to end, on the X display the benchmark runs under
// (run it under xvfb-run) and on a pseudo-terminal of its own with Enter typed
// ahead; beside the minimal SDL2 program that draws the same points. Each run
// is a fresh process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs path on a new pseudo-terminal with Enter typed ahead, answering the
// console's cursor-position query as a terminal does and reading what the
// program shows; its wall time, or a negative value when it failed.
double RunOnce(const char* path) {
    int master = -1;
    auto start = std::chrono::steady_clock::now();
    pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0)
        return -1;
    if (child == 0) {
        ::execl(path, path, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    bool typed = ::write(master, "\r", 1) == 1;
    int status = 0;
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 10) > 0) {
            char bytes[4096];
            ssize_t got = ::read(master, bytes, sizeof bytes);
            if (got > 0 && ::memmem(bytes, static_cast<size_t>(got), "\x1b[6n", 4))
                typed = ::write(master, "\x1b[1;1R", 6) == 6 && typed;
        }
        if (::waitpid(child, &status, WNOHANG) == child)
            break;
    }
    ::close(master);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return typed && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

void Measure(benchmark::State& state, const char* path) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display: run under xvfb-run");
        return;
    }
    for (auto _ : state) {
        double seconds = RunOnce(path);
        if (seconds < 0) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void WholeProgram(benchmark::State& state) {
    Measure(state, BIFURCATION_PATH);
}
BENCHMARK(WholeProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void MinimalSdl2Program(benchmark::State& state) {
    Measure(state, MINIMAL_PLOT_PATH);
}
BENCHMARK(MinimalSdl2Program)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
