#!/usr/bin/env bash
# The long soak: the real frame loop for 100,000 frames (or $1) of held keys
# and presses, under a virtual display when there is none.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
cmake --build "$BUILD_DIR" --target terravell_gl_tests assets >/dev/null
export TERRAVELL_SOAK_FRAMES=${1:-100000}
run=("$BUILD_DIR/tests/terravell_gl_tests" --gtest_filter='Soak.*')
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset -r" "${run[@]}"
fi
exec "${run[@]}"
