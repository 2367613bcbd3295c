#!/usr/bin/env bash
# Makes the README's pictures of the running demo, on a virtual display when
# there is none. The game's own frame loop plays a key script frame by
# frame, so the pictures are the same on every machine:
#   docs/screenshot-start.png  the start view, straight down on the wedge
#   docs/screenshot.png        a chase view over the island
# Usage: scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(cd "${1:-$ROOT/build}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset -r" "$0" "$BUILD_DIR"
fi
cd "$BUILD_DIR"
shot() {
    local name=$1; shift
    ./terravell-shot "/tmp/terravell-$name.bmp" "$@"
    convert "/tmp/terravell-$name.bmp" "$ROOT/docs/$name.png"
    rm -f "/tmp/terravell-$name.bmp"
    echo "wrote docs/$name.png"
}
# Fall and land, then pull the camera back a little.
shot screenshot-start 'none*60' 'a*40' 'none*10'
# Turn towards the island, push a little way up the spit, then pitch the
# camera to a chase view with the summit ahead.
shot screenshot 'none*60' 'right*40' 'up*40' 'none*40' 'x*11' 'a*20' 'none*10'
