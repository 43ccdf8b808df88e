#!/usr/bin/env python3
"""Runs the benchmarks that matter for the whole program and ends with one
table: the whole run beside the minimal SDL2 program (wall, CPU, peak memory,
their ratios; medians of runs that alternate), the per-point costs on the
headless desktop, the set-up handshake, the latency from drawing a point to
seeing it on the screen and what a window costs before its first point. Run it under xvfb-run; the argument is the build directory."""
import json
import os
import subprocess
import sys
import tempfile

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"


def run(program, *arguments, env=None):
    """Runs a benchmark program and returns its median aggregates by name;
    none when it fails, so that the table still shows the others."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        ended = subprocess.run([os.path.join(BUILD, "bench", program), *arguments,
                                "--benchmark_out=" + out.name, "--benchmark_out_format=json"],
                               env=env)
        if ended.returncode != 0:
            return Results()
        report = json.load(open(out.name))
    medians = Results()
    medians.runs = [e for e in report["benchmarks"]
                    if e.get("run_type") == "iteration" and not e.get("error_occurred")]
    for entry in report["benchmarks"]:
        if entry.get("error_occurred"):
            continue
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        medians[entry["run_name"]] = entry
    return medians


class Results(dict):
    runs = []  # every repetition, for figures where the extreme matters

    def get(self, name):
        """The benchmark of that name, whatever options its run name adds."""
        for runName, entry in self.items():
            if runName == name or runName.startswith(name + "/"):
                return entry
        return None


def ns(entry):
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[entry["time_unit"]]
    return entry["cpu_time"] * scale


driver = run("driver_bench", "--benchmark_repetitions=5",
             "--benchmark_report_aggregates_only=true")
program = run("program_bench", "--benchmark_enable_random_interleaving=true",
              "--benchmark_report_aggregates_only=true")
latency = run("latency_bench", "--benchmark_repetitions=3")
startup = run("startup_bench")
# Xlib reads the locale's whole compose table when SDL opens the input method.
noCompose = dict(os.environ, XCOMPOSEFILE="/dev/null")
startupNoCompose = run("startup_bench", env=noCompose)

rows = []


def row(what, ours, reference="", ratio="", goal=""):
    rows.append((what, ours, reference, ratio, goal))


ours, minimal = program.get("WholeProgram"), program.get("MinimalSdl2Program")
if ours and minimal:
    row("whole run: wall (ms)", f"{ours['real_time']:.1f}", f"{minimal['real_time']:.1f}",
        f"{ours['real_time'] / minimal['real_time']:.2f}", "<= 1.00")
    row("whole run: CPU (ms)", f"{ours['cpu_ms']:.1f}", f"{minimal['cpu_ms']:.1f}",
        f"{ours['cpu_ms'] / minimal['cpu_ms']:.2f}", "<= 1.20")
    row("whole run: peak memory (MiB)", f"{ours['peak_MiB']:.1f}", f"{minimal['peak_MiB']:.1f}",
        f"{ours['peak_MiB'] / minimal['peak_MiB']:.2f}", "<= minimal + 8.3")
else:
    row("whole run", "failed or no display")

for name, label, goal in [
        ("PutPixel16Win32GUIPerPixel", "PutPixel16Win32GUI, per point (ns CPU)", "<= 25"),
        ("SetPixelVOnATarget/0", "SetPixelV on the back buffer (ns CPU)", ""),
        ("SetPixelVOnATarget/1", "SetPixelV on the window (ns CPU)", ""),
        ("UncontendedDrawingLock", "critical section enter+leave (ns CPU)", "")]:
    if driver.get(name):
        row(label, f"{ns(driver.get(name)):.1f}", goal=goal)

poll = driver.get("GetExitCodeThreadWhileRunning")
if poll:
    # What matters is how much of a core a waiting thread takes.
    row("polling a running thread: share of a core", f"{poll['cpu_time'] / poll['real_time']:.2f}",
        goal="small")

handshake = driver.get("OpenGraphicsHandshake")
if handshake:
    row("InitGraph handshake, headless: wall (ms)", f"{handshake['real_time']:.2f}")
    row("InitGraph handshake, headless: CPU, all threads (ms)", f"{handshake['cpu_time']:.2f}")

for label, results in [("", startup), (", XCOMPOSEFILE=/dev/null", startupNoCompose)]:
    entry = results.get("SdlWindowStartup")
    if entry:
        row("SDL window start-up" + label + ": video/window/paint (ms)",
            f"{entry['video_ms']:.1f}/{entry['window_ms']:.1f}/{entry['first_paint_ms']:.1f}")
        row("SDL window start-up" + label + ": CPU (ms)", f"{entry['cpu_time']:.1f}")

point = latency.get("DrawnPointToScreen")
if point:
    # The worst of all repetitions, not the median of their worsts.
    worst = max(r["worst_ms"] for r in latency.runs)
    late = sum(r["late"] for r in latency.runs)
    points = sum(r["iterations"] for r in latency.runs)
    row("latency: point drawn to on the screen, median/worst (ms)",
        f"{point['real_time']:.2f}/{worst:.2f}", goal="<= 16.7")
    row("latency: points shown later than 16.7 ms", f"{late:.0f} of {points}", goal="0")
else:
    row("latency: point drawn to on the screen (ms)", "failed", goal="<= 16.7")

header = ("measure", "ours", "minimal SDL2", "ratio", "goal")
widths = [max(len(r[i]) for r in rows + [header]) for i in range(5)]
line = "+".join("-" * (w + 2) for w in widths)
print()
print(line)
for r in [header] + rows:
    print("|".join(" " + c.ljust(w) + " " for c, w in zip(r, widths)))
    if r is header:
        print(line)
print(line)
