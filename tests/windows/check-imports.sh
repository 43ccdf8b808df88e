#!/usr/bin/env bash
# Checks that each Windows program imports nothing but the system's kernel32,
# user32 and gdi32 and the C runtime, and sits at the fixed image base.
# Usage: check-imports.sh PROGRAM.exe...
set -euo pipefail
allowed="GDI32.dll KERNEL32.dll USER32.dll msvcrt.dll"
status=0
for program in "$@"; do
    headers=$(objdump -p "$program")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort | tr '\n' ' ' | sed 's/ $//')
    base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
    if [[ "$imports" != "$allowed" ]]; then
        echo "$program imports: $imports (expected: $allowed)" >&2
        status=1
    fi
    if [[ $((16#$base)) -ne $((16#400000)) ]]; then
        echo "$program sits at 0x$base, not at 0x400000" >&2
        status=1
    fi
    [[ $status -eq 0 ]] && echo "$program: imports $imports, image base 0x400000"
done
exit $status
