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
