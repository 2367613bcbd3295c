# Guards: terravell-map's progress line missing on a terminal once a command has run for a second, shown when stderr is not a terminal, or left in front of the summary.
source "$(dirname "$0")/lib.sh"
: "${TERRAVELL_BUILD:?}"
cd "$WORK"

# held_generate NAME [REDIRECT]: a generate under a terminal of its own (script), held by gdb at its first progress
# step for 1.5 s, so that it has run for over a second whatever the machine's speed; the terminal's bytes in NAME.log.
held_generate() {
    script -qec "gdb -nx -batch -ex 'break CProgress::AdvanceAt' -ex run -ex 'shell sleep 1.5' -ex delete -ex continue \
        --args '$TERRAVELL_BUILD/terravell-map' generate --tiles 4x4 -o $1/Data ${2:-}" "$1.log" >/dev/null
    grep -q '^world: 4 x 4 tiles' "$1.log" || fail "$1: no summary"
}

held_generate terminal
grep -q $'\rshaping the land [0-9]*% ([1-9][0-9]* s)' terminal.log || fail "no progress on a terminal"
grep -q $'\r *\rsun: ' terminal.log || fail "the progress line was not cleared before the summary"
held_generate logged "2>logged.err"
[ ! -s logged.err ] && ! grep -q 'shaping' logged.log || fail "progress written where stderr is not a terminal"
echo "map progress: 3 passed, 0 failed"
