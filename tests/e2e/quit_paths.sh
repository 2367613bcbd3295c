# Escape and the window's close button both end the game with status 0.
source "$(dirname "$0")/lib.sh"
with_assets

start_game
find_window
sleep 1
press_escape
wait_exit 20
[ "$STATUS" -eq 0 ] || fail "status $STATUS after Escape, wanted 0"
[ ! -s "$WORK/stderr" ] || fail "the game wrote to stderr after Escape"

# A tap shorter than one frame still quits.
start_game
find_window
sleep 1
xdotool key --delay 0 Escape
wait_exit 20
[ "$STATUS" -eq 0 ] || fail "status $STATUS after a quick Escape tap, wanted 0"

start_game
find_window
sleep 1
"$WM_CLOSE" "$WID"
wait_exit 20
[ "$STATUS" -eq 0 ] || fail "status $STATUS after closing the window, wanted 0"
echo "quit paths: 3 passed, 0 failed"
