# The world's start-up failures on the real binary: a missing skybox face,
# a hostile or missing map file and a missing terrain texture each end with
# their exact lines and status 1 (each map fault's own line is in
# MapFileTest). Runs on a small world of its own.
source "$(dirname "$0")/lib.sh"
with_assets
passed=0

plain_bmp() { convert -size 8x8 "xc:$2" -type TrueColor BMP3:"$WORK/Data/$1"; }

# map_file CELLSIZE: one tile of one cell, 100 units wide at height 20,
# texture 1.
map_file() {
    local cell
    cell=$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8)))
    printf "\x24\0\0\0\x01\0\0\0\x01\0\0\0\0\0\0\0\x01\0\x01\0${cell}\x64\0\0\0\0\0\xff\0\0\0\x01\0\0\0\0\x14\x14\x14\x14" \
        >"$WORK/Data/map1.raw"
}

small_world() {
    rm -f "$WORK"/Data/map1.raw "$WORK"/Data/Tex*.bmp "$WORK"/Data/cliff*.bmp
    map_file 100
    plain_bmp Tex0001.bmp 'rgb(120,160,80)'
    for face in Bottom Top Front Back Right Left; do plain_bmp "cliff$face.bmp" 'rgb(90,120,200)'; done
    [ -f "$WORK/Data/Hud00t.bmp" ] || plain_bmp Hud00t.bmp black
    [ -f "$WORK/Data/Hud00m.bmp" ] || plain_bmp Hud00m.bmp white
}

# expect_failure WHAT LINES...: the game ends with 1 and exactly these lines.
expect_failure() {
    local what=$1; shift
    start_game
    wait_exit 30
    [ "$STATUS" -eq 1 ] || fail "status $STATUS with $what, wanted 1"
    [ "$(cat "$WORK/stderr")" = "$(printf '%s\n' "$@")" ] || fail "unexpected lines with $what"
    passed=$((passed + 1))
}

# The small world itself starts and quits cleanly.
small_world
start_game
find_window
sleep 1
xdotool key Escape
wait_exit 20
[ "$STATUS" -eq 0 ] || fail "status $STATUS on the small world, wanted 0"
[ ! -s "$WORK/stderr" ] || fail "the small world wrote to stderr"
passed=$((passed + 1))

rm "$WORK/Data/cliffTop.bmp"
why="Couldn't open Data/cliffTop.bmp"
expect_failure "no cliffTop.bmp" \
    "Unable to load Data/cliffTop.bmp: $why" \
    "Unable to load Data/cliffTop.bmp: $why" \
    "Error building SkyBox: $why" \
    "Error in CGame::Init_LoadScene(): $why"

small_world
map_file 0
expect_failure "a cell size of 0" \
    "Unable to load Data/map1.raw: cell size is 0" \
    "Error in CGame::Init_LoadScene(): cell size is 0"

rm "$WORK/Data/map1.raw"
why="cannot open the map file: No such file or directory"
expect_failure "no map file" \
    "Unable to load Data/map1.raw: $why" \
    "Error in CGame::Init_LoadScene(): $why"

small_world
rm "$WORK/Data/Tex0001.bmp"
why="Couldn't open Data/Tex0001.bmp"
expect_failure "no Tex0001.bmp" \
    "Unable to load Data/Tex0001.bmp: $why" \
    "Unable to load Data/Tex0001.bmp: $why" \
    "Error in CGame::Init_LoadScene(): $why"

echo "world failures: $passed passed, 0 failed"
