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
# Back into the island, turning, then pitch the camera to a chase view.
shot screenshot 'none*60' 'down*30' 'down+left*20' 'down*40' 'x*10' 'a*60' 'none*40'
