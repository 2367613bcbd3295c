#!/usr/bin/env bash
# Makes the README's pictures of the running demo, on a virtual display when
# there is none. The game's own frame loop plays a key script frame by
# frame, so the pictures are the same on every machine:
#   docs/screenshot-start.png  the start view, straight down on the wedge
#   docs/screenshot.png        a chase view over the island
#   docs/screenshot-real.png   a chase view over the made-up elevation tile
#                              the tests import, at true scale
#   docs/screenshot-horizon.png  the same tile from its southern end, the
#                              land out to the horizon
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

# The elevation tile, imported with the defaults into a world of its own;
# drive a little way in, diagonally, and look along the valley.
REAL=$(mktemp -d)
trap 'rm -rf "$REAL"' EXIT
./make_sample_dem "$REAL/N46E010.hgt"
./terravell-map import "$REAL/N46E010.hgt" -o "$REAL/Data" --with-assets=Data >/dev/null
(cd "$REAL" && "$BUILD_DIR/terravell-shot" "$REAL/shot.bmp" 'none*60' 'right*38' 'up*120' 'none*40' 'x*7' 'a*45' 'none*10')
convert "$REAL/shot.bmp" "$ROOT/docs/screenshot-real.png"
echo "wrote docs/screenshot-real.png"
# From the southern end, high up, looking north over the whole tile.
(cd "$REAL" && "$BUILD_DIR/terravell-shot" --start 4800,13500 "$REAL/shot.bmp" 'none*80' 'x*11' 'a*400' 'none*5')
convert "$REAL/shot.bmp" "$ROOT/docs/screenshot-horizon.png"
echo "wrote docs/screenshot-horizon.png"
