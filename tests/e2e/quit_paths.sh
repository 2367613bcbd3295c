# Guards: Escape held, an Escape tap shorter than a frame or the close button not ending the game with 0 and a clean stderr.
source "$(dirname "$0")/lib.sh"
with_assets

for quit in press_escape "xdotool key --delay 0 Escape" '"$WM_CLOSE" "$WID"'; do
    start_game
    find_window
    sleep 1
    eval "$quit"
    ends_cleanly "$quit"
done
echo "quit paths: 3 passed, 0 failed"
