# Guards: a start-up failure of the real binary not ending with 1, or its lines (loader's, then the step's) lost or reworded; a WORLD given as its Data folder not read from its parent; a start off the map taken.
source "$(dirname "$0")/lib.sh"

eight_bit_font() {
    mkdir -p "$WORK/Data"
    printf 'BM\x3e\0\0\0\0\0\0\0\x3e\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x08\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$WORK/Data/Font.bmp"
}
# The map's cell size is the 16-bit word at byte 20.
zero_cell_size() { with_assets; printf '\0\0' | dd of="$WORK/Data/map1.raw" bs=1 seek=20 conv=notrunc status=none; }
# The same world in w/Data, for a WORLD given as its Data folder: Data/ is then read from w/.
elsewhere() { zero_cell_size; rm -rf "$WORK/w" && mkdir "$WORK/w" && mv "$WORK/Data" "$WORK/w/"; }
no_sky_top() { with_assets; rm "$WORK/Data/cliffTop.bmp"; }
no_hud_mask() { with_assets; rm "$WORK/Data/Hud00m.bmp"; }
# A flat map of 512 x 511 tiles of 8 cells, at the vertex cap: its grid
# alone needs 400 MB more than the default world under the same ceiling.
huge_map() {
    with_assets
    { printf '\x24\0\0\0\0\x02\0\0\xff\x01\0\0\0\0\0\0\x08\0\x01\0\x08\0\x64\0\0\0\0\0\xff\0\0\0\x01\0\0\0'
      head -c $((512 * 511 + 4097 * 4089)) /dev/zero; } >"$WORK/Data/map1.raw"
}

# expect SETUP LINES...: after SETUP in an empty directory, the game ends
# with 1 and exactly these lines.
expect() {
    local setup=$1
    shift
    rm -rf "$WORK/Data"
    $setup
    start_game
    wait_exit
    [ "$STATUS" -eq 1 ] || fail "$setup: status $STATUS, wanted 1"
    [ "$(cat "$WORK/stderr")" = "$(printf '%s\n' "$@")" ] || fail "$setup: unexpected lines"
}

font="Couldn't open Data/Font.bmp"
expect true "Unable to load Data/Font.bmp: $font" "Unable to load Data/Font.bmp: $font" \
    "Error building font: $font" "Error in CGame::Init_Render(): $font"
font="expected a 24-bit uncompressed BMP, found 8 bits per pixel — convert it, e.g. with ImageMagick"
expect eight_bit_font "Unable to load Data/Font.bmp: $font" "Unable to load Data/Font.bmp: $font" \
    "Error building font: $font" "Error in CGame::Init_Render(): $font"
expect zero_cell_size "Unable to load Data/map1.raw: cell size is 0" \
    "Error in CGame::Init_LoadScene(): cell size is 0"
ARGS=w/Data expect elsewhere "Unable to load Data/map1.raw: cell size is 0" \
    "Error in CGame::Init_LoadScene(): cell size is 0"
off="--start 1025,5 lies off the map, which spans 0 to 1024 across and 0 to 1024 down"
ARGS="--start 1025,5" expect with_assets "Unable to place the wedge: $off" "Error in CGame::Init_LoadScene(): $off"
sky="Couldn't open Data/cliffTop.bmp"
expect no_sky_top "Unable to load Data/cliffTop.bmp: $sky" "Unable to load Data/cliffTop.bmp: $sky" \
    "Error building SkyBox: $sky" "Error in CGame::Init_LoadScene(): $sky"
mask="Couldn't open Data/Hud00m.bmp"
expect no_hud_mask "Unable to load Data/Hud00m.bmp: $mask" "Unable to load Data/Hud00m.bmp: $mask" \
    "Error building Hud: $mask" "Error in CGame::Init_LoadScene(): $mask"
# AddressSanitizer's shadow memory cannot live under an address-space ceiling;
# the build says whether it is sanitized.
if [ "${TERRAVELL_SANITIZED:?}" = OFF ]; then
    LAUNCH="prlimit --as=850000000" expect huge_map "Out of memory while loading Data/map1.raw"
fi

# An asset replaced by a named pipe or a directory is refused at once, not
# waited on: the loader's line first, every line naming the cause.
for asset in Font.bmp map1.raw cliffTop.bmp Hud00m.bmp Hud00t.bmp Tex0001.bmp; do
    for kind in mkfifo mkdir; do
        rm -rf "$WORK/Data" && with_assets && rm "$WORK/Data/$asset" && $kind "$WORK/Data/$asset"
        start_game
        wait_exit
        why=$([ $kind = mkfifo ] && echo "not a regular file" || echo "is a directory")
        [ "$STATUS" -eq 1 ] || fail "$kind $asset: status $STATUS, wanted 1"
        first=$(sed -n 1p "$WORK/stderr")
        [[ $first =~ ^"Unable to load Data/$asset: ".*"$why"$ ]] || fail "$kind $asset: $first"
        [ "$(grep -vc "$why" "$WORK/stderr")" -eq 0 ] || fail "$kind $asset: a line without the cause"
    done
done

# A command line the game cannot read: one line, before any window opens.
(cd "$WORK" && "$TERRAVELL_BIN" --view-distance 5 >"$WORK/stdout" 2>"$WORK/stderr") && STATUS=0 || STATUS=$?
[ "$STATUS" -eq 1 ] || fail "--view-distance 5: status $STATUS, wanted 1"
[ "$(cat "$WORK/stderr")" = "terravell: --view-distance wants a distance from 10 to 1000000 units (got '5') (see terravell --help)" ] ||
    fail "--view-distance 5: unexpected line"

# No display: SDL's own words through the start-up line, nothing on stdout.
(cd "$WORK" && env -u DISPLAY timeout "$HANG_LIMIT" "$TERRAVELL_BIN" >"$WORK/stdout" 2>"$WORK/stderr") && STATUS=0 || STATUS=$?
[ "$STATUS" -eq 1 ] || fail "no display: status $STATUS, wanted 1"
[ "$(cat "$WORK/stderr")" = "$(printf '%s\n' "Unable to initialize SDL: No available video device" \
                                "Error in CGame::Init_Renderer(): No available video device")" ] || fail "no display"
[ ! -s "$WORK/stdout" ] || fail "no display: something was written to stdout"
echo "startup failures: 12 passed, 0 failed"
