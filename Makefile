# The front door. `make run` builds and runs the plotter; `make test` runs
# every test. Both install what is missing first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
JOBS       ?= $(shell nproc)

.PHONY: all deps build run showcase explorer test test-asan test-tsan bench fuzz format clean \
        windows test-windows

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
# per-point costs, the set-up handshake and the window's start-up. The X
# server is kept from resetting when a benchmark's last connection closes,
# which would make the next one fail or start late.
bench: build
	$(BUILD)/bench/sweep_bench
	$(BUILD)/bench/text_bench
	SDL_VIDEODRIVER=x11 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bench/bench-table.py $(BUILD)

# The programs as native Windows programs, for 32-bit (the system's own
# target) and 64-bit Windows, cross-compiled with MinGW-w64.
BUILD_WIN32 ?= build-win32
BUILD_WIN64 ?= build-win64

windows:
	@tools/install-deps.sh $(WINDOWS_PACKAGES)
	cmake -S . -B $(BUILD_WIN32) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
	cmake --build $(BUILD_WIN32) -j $(JOBS)
	cmake -S . -B $(BUILD_WIN64) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
	cmake --build $(BUILD_WIN64) -j $(JOBS)
	tests/windows/check-imports.sh $(BUILD_WIN32)/plotter/bifurcation.exe \
	    $(BUILD_WIN32)/examples/showcase.exe $(BUILD_WIN64)/plotter/bifurcation.exe \
	    $(BUILD_WIN64)/examples/showcase.exe

# The Windows programs checked: imports of both, the 64-bit ones under Wine.
test-windows: windows build
	cmake --build $(BUILD) --target wine_tests
	tests/windows/run-wine-tests.sh $(BUILD) $(BUILD_WIN64) $(BUILD_WIN32)

WINDOWS_PACKAGES = g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine64

# The terminal key decoder under libFuzzer (clang), three million inputs.
fuzz:
	@tools/install-deps.sh clang
	tests/fuzz/run-key-decoder-fuzz.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_WIN32) $(BUILD_WIN64)
