#!/usr/bin/env bash
# Prints how large the tests are against the code they test: non-blank lines
# of every code file under tests/ (C++, C, shell, CMake) over non-blank lines
# of every other C++/C file. Data files (fuzz seeds, saved inputs, images)
# do not count. Exits 1 when the tests outgrow 0.35 of the code.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() { { grep -E "$1" || true; } | { grep -Ev "$2" || true; } | tr '\n' '\0' | xargs -0r cat | grep -cv '^\s*$' || true; }
files=$(git ls-files --cached --others --exclude-standard | while read -r f; do [ -f "$f" ] && echo "$f"; done)
tests=$(lines '^tests/.*(\.(c|cc|cpp|h|hpp|sh|cmake)|CMakeLists\.txt)$' '^$' <<<"$files")
code=$(lines '\.(c|cc|cpp|h|hpp)$' '^tests/' <<<"$files")
awk -v t="$tests" -v c="$code" 'BEGIN {
    r = c > 0 ? t / c : 0
    printf "tests: %d lines, code: %d lines, ratio %.3f (allowed 0.25 to 0.35)\n", t, c, r
    exit r > 0.35 }'
