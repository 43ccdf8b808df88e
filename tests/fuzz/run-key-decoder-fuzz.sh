#!/bin/sh
# Builds the terminal key decoder's libFuzzer harness with clang (outside
# CMake, which builds the project with GCC) and runs it. Needs Debian's
# "clang" package. Usage: run-key-decoder-fuzz.sh [runs] [extra libFuzzer flags]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-3000000}
[ $# -gt 0 ] && shift
out=${FUZZ_OUT:-$root/build-fuzz}
mkdir -p "$out/key-decoder-corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Wall -Wextra -Werror -I "$root/winapi/include" -I "$root/winapi" \
    "$root/tests/fuzz/KeyDecoderFuzz.cpp" "$root/winapi/console/tty/KeyDecoder.cpp" \
    -o "$out/key-decoder-fuzz"
cd "$out"
exec ./key-decoder-fuzz -runs="$runs" -max_len=512 -timeout=10 "$@" key-decoder-corpus
