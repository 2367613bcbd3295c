# Shared by the end-to-end scripts: start the real binary in a scratch
# directory, find its window, take screenshots, wait for its exit status.
# Every wait is for a state (a window, a picture, an exit), never for a
# time: HANG_LIMIT only ends a run that hangs, however slow the machine.
set -euo pipefail
HANG_LIMIT=600

: "${TERRAVELL_BIN:?}" "${TERRAVELL_DATA:?}"
WORK=$(mktemp -d /tmp/terravell-e2e-XXXXXX)
trap 'kill "${GAME_PID:-}" 2>/dev/null || true; rm -rf "$WORK"' EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$WORK/stderr" ] && sed 's/^/  stderr: /' "$WORK/stderr" >&2; exit 1; }

# Lays out a playable working directory with the generated assets.
with_assets() { rm -rf "$WORK/Data" && cp -r "$TERRAVELL_DATA" "$WORK/Data"; }

start_game() {
    (cd "$WORK" && exec ${LAUNCH:-} "$TERRAVELL_BIN" ${ARGS:-} 2>"$WORK/stderr") &
    GAME_PID=$!
}

# Sets WID to the game's window and gives it the keyboard focus (there is
# no window manager to do so).
find_window() {
    local ids
    ids=$(timeout "$HANG_LIMIT" xdotool search --sync --onlyvisible --name '^Terravell$') || fail "no window"
    WID=${ids%%$'\n'*}
    xdotool windowfocus --sync "$WID"
    xdotool mousemove --window "$WID" 10 10
}

# wait_exit [AFTER]: waits for the game to end and sets STATUS.
wait_exit() {
    local i
    for ((i = 0; i < HANG_LIMIT * 10; i++)); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            set +e; wait "$GAME_PID"; STATUS=$?; set -e
            GAME_PID=
            return 0
        fi
        sleep 0.1
    done
    fail "the game did not end within $HANG_LIMIT s${1:+ after $1}"
}

# ends_cleanly WHAT: the game ends with status 0 and nothing on stderr.
ends_cleanly() {
    wait_exit "$1"
    [ "$STATUS" -eq 0 ] || fail "status $STATUS after $1, wanted 0"
    [ ! -s "$WORK/stderr" ] || fail "the game wrote to stderr after $1"
}

# Holds Escape long enough for the game to see it held.
press_escape() { xdotool keydown Escape; sleep 0.3; xdotool keyup Escape; }

screenshot() { xwd -silent -id "$WID" | convert xwd:- "$1"; }

TEXT_BAND=800x104+0+400 # the rows above the six debug lines, where messages stand

# A flat world of one plain colour under a sky of another: without text the band holds exactly those two colours
# (the map's west edge runs down the screen), and any message adds the shades of its glyphs.
plain_world() {
    mkdir -p "$WORK/Data"
    cp "$TERRAVELL_DATA"/{Font,Hud00t,Hud00m}.bmp "$WORK/Data/"
    # 16 x 16 tiles of 8 cells, 1 texture, cell size 8, height scale 1, the sun 45 degrees up; every height 0.
    { printf '\x24\0\0\0\x10\0\0\0\x10\0\0\0\0\0\0\0\x08\0\x01\0\x08\0\x64\0\0\0\0\0\xff\x01\0\0\x01\0\0\0'
      head -c $((16 * 16 + 129 * 129)) /dev/zero; } >"$WORK/Data/map1.raw"
    convert -size 8x8 'xc:rgb(60,110,50)' -type TrueColor BMP3:"$WORK/Data/Tex0001.bmp"
    for face in Bottom Top Front Back Right Left; do
        convert -size 8x8 'xc:rgb(90,120,200)' -type TrueColor BMP3:"$WORK/Data/cliff$face.bmp"
    done
}

colours() { convert "$WORK/now.png" -crop "$TEXT_BAND" +repage -format %k info:; }
scene_alone() { [ "$(colours)" -eq 2 ]; }
message_shown() { [ "$(colours)" -gt 2 ]; }

# pixels_apart A B: how many pixels of two pictures differ by more than 1% (all of them when compare cannot read one).
pixels_apart() {
    local out
    out=$(compare -metric AE -fuzz 1% "$1" "$2" null: 2>&1) || [ $? -eq 1 ] || out=999999
    awk '{ printf "%d\n", $1 }' <<<"$out"
}

# until_shot CHECK: screenshots into now.png until CHECK holds.
until_shot() {
    local i
    for ((i = 0; i < HANG_LIMIT * 5; i++)); do
        screenshot "$WORK/now.png"
        $1 && return 0
        sleep 0.2
    done
    fail "no $1 within $HANG_LIMIT s${held:+ (with $held held)}"
}
