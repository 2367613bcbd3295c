# Guards: the README's map walkthrough failing as written: generate, info, then the demo on the new world, quit with Escape.
source "$(dirname "$0")/lib.sh"
: "${TERRAVELL_BUILD:?}" "${TERRAVELL_SOURCE:?}"

# The first sh block under the walkthrough's heading.
SNIPPET=$(awk '/^## Your own world/ { section = 1 } section && /^```sh$/ { inside = 1; next }
               /^```$/ { if (inside) exit } inside' "$TERRAVELL_SOURCE/README.md")
[ -n "$SNIPPET" ] || fail "no sh block in README.md"
grep -q 'terravell-map generate --seed 7' <<<"$SNIPPET" || fail "the walkthrough no longer generates a world"
ln -s "$TERRAVELL_BUILD" "$WORK/build"

# Its own session, so that a failed run takes the game down with it.
# (wait_exit empties GAME_PID once the run has ended; "kill -- -" with an
# empty id would hit this script's own group.)
trap '[ -n "${GAME_PID:-}" ] && kill -- -"$GAME_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
cd "$WORK"
setsid bash -e -c "$SNIPPET" >"$WORK/stdout" 2>"$WORK/stderr" &
GAME_PID=$!
find_window
sleep 3
press_escape
ends_cleanly "the walkthrough"
grep -q '^my-world/Data/map1.raw: [0-9]* bytes, valid$' "$WORK/stdout" || fail "info did not call the map valid"
grep -q '^copied 9 assets from' "$WORK/stdout" || fail "the assets were not copied"
[ -f "$WORK/my-world/Data/cliffTop.bmp" ] || fail "no sky in the new Data folder"
echo "map walkthrough: 1 passed, 0 failed"
