# The front door. `make run` builds and runs the plotter; `make test` runs
# every test. Both install what is missing first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
JOBS       ?= $(shell nproc)

.PHONY: all deps build run showcase explorer test test-asan test-tsan bench fuzz format clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Without a display, both save the window's last picture as a PNG file in the
# current folder instead (tools/run-in-window.sh).
run: build
	@tools/run-in-window.sh $(BUILD)/plotter/bifurcation

# The whole graphics library at work in one window.
showcase: build
	@tools/run-in-window.sh $(BUILD)/examples/showcase

explorer: build
	@tools/run-in-window.sh $(BUILD)/examples/explorer

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DSANITIZE=address -DBUILD_BENCHMARKS=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS)

test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -G Ninja -DSANITIZE=thread -DBUILD_BENCHMARKS=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	ctest --test-dir $(BUILD_TSAN) --output-on-failure -j $(JOBS)

# Ends with one table: the whole run beside a minimal SDL2 program, the
# per-point costs, the set-up handshake and the window's start-up.
bench: build
	$(BUILD)/bench/sweep_bench
	$(BUILD)/bench/text_bench
	SDL_VIDEODRIVER=x11 xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench-table.py $(BUILD)

# The terminal key decoder under libFuzzer (clang), three million inputs.
fuzz:
	@tools/install-deps.sh clang
	tests/fuzz/run-key-decoder-fuzz.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN)
