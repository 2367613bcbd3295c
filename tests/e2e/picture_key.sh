# Guards: F12 not saving the frame as it is on screen (HUD included, upright, colours in order), a picture replacing one already there, a failed write (a full disk) stopping the game or leaving a broken file rather than a fading message.
source "$(dirname "$0")/lib.sh"
# The wedge has landed: the screen holds still but for its Flags digit, which changes every frame (one glyph).
landed() { [ -f "$WORK/last.png" ] && [ "$(pixels_apart "$WORK/last.png" "$WORK/now.png")" -le 256 ] && scene_alone; }
still() { landed || { cp "$WORK/now.png" "$WORK/last.png"; false; }; }

plain_world
echo mine >"$WORK/terravell-0001.png"
start_game
find_window
until_shot still
xdotool key F12
until_shot message_shown # "Saved terravell-0002.png", once the file is written
[ "$(cat "$WORK/terravell-0001.png")" = mine ] || fail "terravell-0001.png was replaced"
until_shot scene_alone
apart=$(pixels_apart "$WORK/terravell-0002.png" "$WORK/now.png")
[ "$apart" -le 256 ] || fail "the picture and the screen differ in $apart pixels"
press_escape
ends_cleanly "a picture"

# A disk full after 1 KiB: the game goes on, says so, and leaves no part of a picture.
trap '' XFSZ
LAUNCH="prlimit --fsize=1024" start_game
trap - XFSZ
find_window
rm -f "$WORK/last.png"
until_shot still
xdotool key F12
until_shot message_shown
[ ! -e "$WORK/terravell-0003.png" ] || fail "a broken picture was left on the full disk"
press_escape
ends_cleanly "a full disk"
echo "picture key: 2 passed, 0 failed"
