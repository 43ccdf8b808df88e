#!/usr/bin/env bash
# The Windows programs, tested here: their imports for both targets, then the
# 64-bit programs under Wine on a private X display with a private Wine
# prefix. Nothing may wait for input: standard input is empty, every step has
# a time limit, and Wine's crash dialog and debugger are switched off.
# Usage: run-wine-tests.sh LINUX_BUILD WIN64_BUILD WIN32_BUILD
set -euo pipefail
linux=$(realpath "$1")
win64=$(realpath "$2")
win32=$(realpath "$3")
here=$(dirname "$(realpath "$0")")

if [[ "${WINE_TESTS_INNER:-}" != 1 ]]; then
    "$here/check-imports.sh" "$win64"/plotter/bifurcation.exe "$win64"/examples/showcase.exe \
        "$win32"/plotter/bifurcation.exe "$win32"/examples/showcase.exe
    echo "32-bit programs: built and their imports checked; not run, since this" \
         "machine's kernel refuses 32-bit executables."
    export WINE_TESTS_INNER=1
    exec timeout 900 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@" </dev/null
fi

export WINEPREFIX="$win64/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No mono or gecko installer, and no debugger when a program crashes.
export WINEDLLOVERRIDES="mscoree,mshtml=d;winedbg.exe=d"
export WINDOWS_PROGRAMS="$win64"
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Preparing the Wine prefix $WINEPREFIX"
    timeout 300 wine wineboot -i >/dev/null 2>&1
    timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1
    timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
        /d 0 /f >/dev/null 2>&1
    timeout 60 wineserver -w
fi

echo "Layer checks under Wine:"
timeout 120 wine "$win64"/tests/layerchecks/layerchecks.exe
timeout 600 "$linux"/tests/windows/wine_tests
