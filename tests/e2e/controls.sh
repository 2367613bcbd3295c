# Guards: held keys not reaching the frame, a key pressed while c or d is held adding no message, a message that never fades.
# Seen in pixels only: the key table, the texts and the layout are the unit tests'. Every wait is for what the
# screen shows, so a slow or starved game takes longer but gives the same verdict.
source "$(dirname "$0")/lib.sh"
view_change() { [ "$(pixels_apart "$WORK/rest.png" "$WORK/now.png")" -gt 50000 ]; }

plain_world
start_game
find_window
until_shot scene_alone # drawn, and "Done Loading..." gone
cp "$WORK/now.png" "$WORK/rest.png"
for held in c d; do
    xdotool keydown "$held" key q
    until_shot message_shown
    xdotool keyup "$held"
    until_shot scene_alone
done

# Down pushes the wedge into the map; the chase view follows, so the map's north edge leaves the screen.
held=Down
xdotool keydown Down
until_shot view_change
xdotool keyup Down
echo "controls: 3 passed, 0 failed"
