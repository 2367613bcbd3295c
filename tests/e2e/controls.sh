# Guards: held keys not reaching the frame, a key pressed while c or d is held adding no message, a message that never fades.
# Seen in pixels only: the key table, the texts and the layout are the unit tests'.
source "$(dirname "$0")/lib.sh"
MESSAGE_BAND=800x16+0+488 # the message row above the six debug lines

# differing A B [CROP]: how many pixels differ (a picture compare cannot
# read counts as all different).
differing() {
    local out
    out=$(compare -metric AE ${3:+-extract $3} "$1" "$2" null: 2>&1) || [ $? -eq 1 ] || out=999999
    awk '{ printf "%d\n", $1 }' <<<"$out"
}

# until_shot LIMIT CHECK: screenshots into now.png every 0.2 s until CHECK
# holds; fails after LIMIT seconds.
until_shot() {
    local i
    for ((i = 0; i < $1 * 5; i++)); do
        screenshot "$WORK/now.png"
        $2 && return 0
        sleep 0.2
    done
    fail "no $2 within $1 s${held:+ (with $held held)}"
}
band_changes() { [ "$(differing "$WORK/rest.png" "$WORK/now.png" "$MESSAGE_BAND")" -gt 0 ]; }
band_as_at_rest() { [ "$(differing "$WORK/rest.png" "$WORK/now.png" "$MESSAGE_BAND")" -eq 0 ]; }
view_change() { [ "$(differing "$WORK/rest.png" "$WORK/now.png")" -gt 100000 ]; }
# The wedge at rest and "Done Loading..." gone: the band stays as it is.
rest() { cp "$WORK/now.png" "$WORK/rest.png"; sleep 1; screenshot "$WORK/now.png"; band_as_at_rest; }

with_assets
start_game
find_window
until_shot 90 rest
for held in c d; do
    xdotool keydown "$held" key q
    until_shot 20 band_changes
    xdotool keyup "$held"
    until_shot 120 band_as_at_rest
done
held=Up

# Up pushes the wedge; the chase view follows, so most of the picture changes.
xdotool keydown Up
until_shot 20 view_change
xdotool keyup Up
echo "controls: 3 passed, 0 failed"
