// The whole program, start to end, on the X display the benchmark runs under
// (run it under xvfb-run), with Enter typed ahead; beside the minimal SDL2
// program that draws the same points. Each run is a fresh process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs path with "\n" waiting on its standard input; its wall time, or a
// negative value when it failed.
double RunOnce(const char* path) {
    int input[2];
    if (::pipe(input) != 0)
        return -1;
    auto start = std::chrono::steady_clock::now();
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(input[0], 0);
        ::close(input[0]);
        ::close(input[1]);
        ::execl(path, path, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(input[0]);
    if (::write(input[1], "\n", 1) != 1)
        return -1;
    ::close(input[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
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
