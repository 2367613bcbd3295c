# Guards: held keys not reaching the frame, a key pressed while c or d is held adding no message, a message that never fades.
# Seen in pixels only: the key table, the texts and the layout are the unit tests'. Every wait is for what the
# screen shows, so a slow or starved game takes longer but gives the same verdict.
source "$(dirname "$0")/lib.sh"
TEXT_BAND=800x104+0+400 # the rows above the six debug lines, where messages stand

# A flat world of one plain colour under a sky of another: without text the band holds exactly those two colours
# (the map's west edge runs down the screen), and any message adds the shades of its glyphs.
plain_world() {
    mkdir -p "$WORK/Data"
    cp "$TERRAVELL_DATA"/{Font,Hud00t,Hud00m}.bmp "$WORK/Data/"
    # 16 x 16 tiles of 8 cells, 1 texture, cell size 8, height scale 1, the sun 45 degrees up; every height 0.
    { printf '\x24\0\0\0\x10\0\0\0\x10\0\0\0\0\0\0\0\x08\0\x01\0\x08\0\x64\0\0\0\0\0\xff\x01\0\0\x01\0\0\0'
      head -c $((16 * 16 + 129 * 129)) /dev/zero; } >"$WORK/Data/map1.raw"
    convert -size 8x8 'xc:rgb(60,110,50)' -type TrueColor BMP3:"$WORK/Data/Tex0001.bmp"
    for face in Bottom Top Front Back Right Left; do
        convert -size 8x8 'xc:rgb(90,120,200)' -type TrueColor BMP3:"$WORK/Data/cliff$face.bmp"
    done
}

colours() { convert "$WORK/now.png" -crop "$TEXT_BAND" +repage -format %k info:; }
scene_alone() { [ "$(colours)" -eq 2 ]; }
message_shown() { [ "$(colours)" -gt 2 ]; }
# How many pixels differ from the resting frame (a picture compare cannot read counts as all different).
view_change() {
    local out
    out=$(compare -metric AE "$WORK/rest.png" "$WORK/now.png" null: 2>&1) || [ $? -eq 1 ] || out=999999
    [ "$(awk '{ printf "%d\n", $1 }' <<<"$out")" -gt 50000 ]
}

# until_shot CHECK: screenshots into now.png until CHECK holds.
until_shot() {
    local i
    for ((i = 0; i < HANG_LIMIT * 5; i++)); do
        screenshot "$WORK/now.png"
        $1 && return 0
        sleep 0.2
    done
    fail "no $1 within $HANG_LIMIT s${held:+ (with $held held)}"
}

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
