// The whole program, start to end, on the X display the benchmark runs under
// (run it under xvfb-run) and on a pseudo-terminal of its own with Enter typed
// ahead; beside the minimal SDL2 program that draws the same points. Each run
// is a fresh process. Besides its wall time, each run's CPU time (user and
// system, all threads) and peak resident memory are reported, from what the
// kernel accounts for the ended child. Each benchmark is one run repeated;
// run with --benchmark_enable_random_interleaving=true so that the runs of
// the two alternate and meet the same load on the machine, and read the
// medians.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    double Wall = -1; // seconds; negative when the program failed
    double Cpu = 0;   // seconds
    double PeakMiB = 0;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Runs path on a new pseudo-terminal with Enter typed ahead, answering the
// console's cursor-position query as a terminal does and reading what the
// program shows.
Run RunOnce(const char* path) {
    int master = -1;
    auto start = std::chrono::steady_clock::now();
    pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0)
        return {};
    if (child == 0) {
        ::execl(path, path, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    bool typed = ::write(master, "\r", 1) == 1;
    // The child's end is seen at once through its pidfd, so that the wall
    // time is not rounded up to a polling interval.
    const int ended = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    int status = 0;
    rusage usage{};
    for (;;) {
        pollfd ready[2] = {{master, POLLIN, 0}, {ended, POLLIN, 0}};
        if (::poll(ready, ended >= 0 ? 2 : 1, ended >= 0 ? -1 : 1) > 0 &&
            (ready[0].revents & POLLIN)) {
            char bytes[4096];
            ssize_t got = ::read(master, bytes, sizeof bytes);
            if (got > 0 && ::memmem(bytes, static_cast<size_t>(got), "\x1b[6n", 4))
                typed = ::write(master, "\x1b[1;1R", 6) == 6 && typed;
        }
        if (::wait4(child, &status, WNOHANG, &usage) == child)
            break;
    }
    if (ended >= 0)
        ::close(ended);
    ::close(master);
    Run run;
    if (!typed || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return run;
    run.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.Cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return run;
}

void Measure(benchmark::State& state, const char* path) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display: run under xvfb-run");
        return;
    }
    double cpu = 0, peak = 0;
    for (auto _ : state) {
        Run run = RunOnce(path);
        if (run.Wall < 0) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(run.Wall);
        cpu += run.Cpu * 1e3;
        peak += run.PeakMiB;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["peak_MiB"] = benchmark::Counter(peak, benchmark::Counter::kAvgIterations);
}

// BIFURCATION, when set, names another build of the program to measure, so
// that two builds can be set side by side.
void WholeProgram(benchmark::State& state) {
    const char* other = std::getenv("BIFURCATION");
    Measure(state, other ? other : BIFURCATION_PATH);
}

void MinimalSdl2Program(benchmark::State& state) {
    Measure(state, MINIMAL_PLOT_PATH);
}

} // namespace

BENCHMARK(WholeProgram)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9);
BENCHMARK(MinimalSdl2Program)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9);

BENCHMARK_MAIN();
