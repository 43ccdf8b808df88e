#!/usr/bin/env bash
# Prints the tests' share of the code: non-blank, non-comment lines of C++
# under tests/ against those of everything else, by folder. Exits non-zero
# when the share passes the limit (default 0.335), so the suite keeps it there.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-0.335}

count() {
    git ls-files -- "$@" | grep -E '\.(cpp|h)$' | xargs -r cat |
        sed -E -e 's://.*$::' -e 's:^\s*/?\*.*$::' | grep -cvE '^\s*$' || true
}

tests=$(count tests)
code=$(( $(count .) - tests ))
for folder in $(git ls-files tests | grep -E '\.(cpp|h)$' | cut -d/ -f2 | sort -u); do
    printf '  tests/%-12s %6d lines\n' "$folder" "$(count "tests/$folder")"
done
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
echo "tests: $tests lines, code: $code lines, share $share (limit $limit)"
awk -v s="$share" -v l="$limit" 'BEGIN { exit !(s <= l) }'
