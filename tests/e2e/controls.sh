# The controls on the real binary, read back from the HUD's text: a key
# pressed with c held shows its message above the debug lines, which then
# fades away; Ctrl+Up swings the light, still of unit length; `a` moves the
# camera back; Escape ends with 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/hud_lib.sh"
passed=0

start_settled_game
screenshot "$WORK/before.ppm"
band "$WORK/before.ppm" "$MESSAGE_Y" "$WORK/row0.png"
elevation=$(read_line "$WORK/before.ppm" 6)

# c's own press and q's both add the message, in the same frame.
xdotool keydown c key q
for ((i = 0; i < 100; i++)); do
    screenshot "$WORK/shown.ppm"
    shows_text "$WORK/shown.ppm" "$MESSAGE_Y" "You pressed c! (TextFaded)" && break
    sleep 0.1
done
xdotool keyup c
[ "$i" -lt 100 ] || fail "message row reads '$(read_row "$WORK/shown.ppm" "$MESSAGE_Y")'"
[ "$(read_line "$WORK/shown.ppm" 6)" = "$elevation" ] || fail "the message moved the debug lines"
passed=$((passed + 1))

# It darkens, then the row is as it was before.
band "$WORK/shown.ppm" "$MESSAGE_Y" "$WORK/row1.png"
sleep 1
screenshot "$WORK/later.ppm"
band "$WORK/later.ppm" "$MESSAGE_Y" "$WORK/row2.png"
first=$(brightness "$WORK/row0.png" "$WORK/row1.png")
later=$(brightness "$WORK/row0.png" "$WORK/row2.png")
awk -v a="$first" -v b="$later" 'BEGIN { exit !(b < a) }' || fail "the message did not darken ($first, then $later)"
for ((i = 0; i < 1200; i++)); do
    screenshot "$WORK/now.ppm"
    band "$WORK/now.ppm" "$MESSAGE_Y" "$WORK/row3.png"
    [ "$(differing "$WORK/row0.png" "$WORK/row3.png")" -eq 0 ] && break
    sleep 0.1
done
[ "$i" -lt 1200 ] || fail "the message did not fade away within 120 s"
passed=$((passed + 1))

# Ctrl+Up: the light turns towards +y and is of unit length after the
# nudge (to the two decimals shown); the camera line does not change.
camera=$(read_line "$WORK/now.ppm" 5)
hold_until ctrl Up -- 4
for v in Lx Ly Lz; do
    [ -n "$(value "$HELD_FROM" $v)" ] && [ -n "$(value "$HELD_TO" $v)" ] || fail "light line reads '$HELD_FROM', '$HELD_TO'"
done
awk -v x0="$(value "$HELD_FROM" Lx)" -v y0="$(value "$HELD_FROM" Ly)" -v z0="$(value "$HELD_FROM" Lz)" \
    -v x="$(value "$HELD_TO" Lx)" -v y="$(value "$HELD_TO" Ly)" -v z="$(value "$HELD_TO" Lz)" \
    'BEGIN { l0 = sqrt(x0 * x0 + y0 * y0 + z0 * z0); l = sqrt(x * x + y * y + z * z)
             r0 = l0 > 0 ? y0 / l0 : -1
             exit !(y / l > r0 && l > 0.98 && l < 1.02) }' ||
    fail "light went from '$HELD_FROM' to '$HELD_TO'"
[ "$(read_line "$WORK/hold.ppm" 5)" = "$camera" ] || fail "Ctrl+Up changed the camera line"
passed=$((passed + 1))

# a: the camera's distance grows; the light line stays.
light=$(read_line "$WORK/hold.ppm" 4)
hold_until a -- 5
awk -v a="$(value "$HELD_FROM" Cz)" -v b="$(value "$HELD_TO" Cz)" 'BEGIN { exit !(b > a) }' ||
    fail "camera went from '$HELD_FROM' to '$HELD_TO'"
[ "$(read_line "$WORK/hold.ppm" 4)" = "$light" ] || fail "holding a changed the light line"
passed=$((passed + 1))

quit_with_escape
passed=$((passed + 1))
echo "controls: $passed passed, 0 failed"
