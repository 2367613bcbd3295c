#!/usr/bin/env bash
# The long soak: the real frame loop for 100,000 frames (or $1) with a
# seeded random key sequence, under a virtual display when there is none.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
FRAMES=${1:-100000}
cmake --build "$BUILD_DIR" --target terravell-soak assets >/dev/null
run=("$BUILD_DIR/terravell-soak" "$BUILD_DIR/Data" "$FRAMES")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset -r" "${run[@]}"
fi
exec "${run[@]}"
