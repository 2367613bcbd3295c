# Steering the wedge on the real binary, read back from the HUD's text:
# holding Up pushes it along its heading (-y at the start; the view follows
# it), holding Left turns it; Escape ends with 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/hud_lib.sh"
passed=0

start_settled_game
screenshot "$WORK/rest.ppm"
rotation=$(read_line "$WORK/rest.ppm" 3)
light=$(read_line "$WORK/rest.ppm" 4)

hold_until Up -- 1
awk -v a="$(value "$HELD_FROM" Py)" -v b="$(value "$HELD_TO" Py)" 'BEGIN { exit !(b < a) }' ||
    fail "position went from '$HELD_FROM' to '$HELD_TO'"
# The chase camera follows the wedge: most of the picture changes.
moved=$(differing "$WORK/rest.ppm" "$WORK/hold.ppm")
[ "$moved" -gt 100000 ] || fail "only $moved pixels changed after pushing the wedge"
[ "$(read_line "$WORK/hold.ppm" 3)" = "$rotation" ] || fail "Up changed the rotation line"
[ "$(read_line "$WORK/hold.ppm" 4)" = "$light" ] || fail "Up changed the light line"
passed=$((passed + 1))

hold_until Left -- 3
rz=$(value "$HELD_TO" Rz)
awk -v r="$rz" 'BEGIN { exit !(r > 0 && r < 1) }' || fail "rotation went from '$HELD_FROM' to '$HELD_TO'"
[ "$(read_line "$WORK/hold.ppm" 4)" = "$light" ] || fail "Left changed the light line"
passed=$((passed + 1))

quit_with_escape
passed=$((passed + 1))
echo "controls while moving: $passed passed, 0 failed"
