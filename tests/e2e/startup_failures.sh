# Start-up failures end with their exact lines and status 1.
source "$(dirname "$0")/lib.sh"

# No Data directory at all: the font is the first thing loaded.
start_game
wait_exit 20
[ "$STATUS" -eq 1 ] || fail "status $STATUS without Data, wanted 1"
expected="Unable to load Data/Font.bmp: Couldn't open Data/Font.bmp
Unable to load Data/Font.bmp: Couldn't open Data/Font.bmp
Error building font: Couldn't open Data/Font.bmp
Error in CGame::Init_Render(): Couldn't open Data/Font.bmp"
[ "$(cat "$WORK/stderr")" = "$expected" ] || fail "unexpected lines without Data"

# A glyph sheet of the wrong depth is refused through the same lines.
mkdir -p "$WORK/Data"
printf 'BM\x3e\x00\x00\x00\x00\x00\x00\x00\x3e\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x08\x00\x00\x00\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$WORK/Data/Font.bmp"
start_game
wait_exit 20
[ "$STATUS" -eq 1 ] || fail "status $STATUS with an 8-bit font, wanted 1"
why="expected a 24-bit uncompressed BMP, found 8 bits per pixel — convert it, e.g. with ImageMagick"
expected="Unable to load Data/Font.bmp: $why
Unable to load Data/Font.bmp: $why
Error building font: $why
Error in CGame::Init_Render(): $why"
[ "$(cat "$WORK/stderr")" = "$expected" ] || fail "unexpected lines for an 8-bit font"
echo "startup failures: 2 passed, 0 failed"
