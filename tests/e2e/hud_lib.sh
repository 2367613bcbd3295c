# Reading the HUD off the real window, for the end-to-end scripts that
# drive the controls. Sourced after lib.sh; needs HUD_READ, the reader
# built from tests/support/hud_read.cpp.
: "${HUD_READ:?}"

# Top rows of the text: debug line n (1 = the lowest) and the first
# message row, directly above the six lines.
line_y() { echo $((584 - 16 * ($1 - 1))); }
MESSAGE_Y=488

# read_row SHOT Y [GREY]: the text printed in the row whose top is Y, read
# off a .ppm screenshot with the game's glyph sheet; GREY is the grey
# level the text is expected at (1).
read_row() {
    [ -f "$WORK/font.ppm" ] || convert "$WORK/Data/Font.bmp" "$WORK/font.ppm"
    "$HUD_READ" "$1" "$WORK/font.ppm" "$2" ${3:-}
}
read_line() { read_row "$1" "$(line_y "$2")"; }

# shows_text SHOT Y TEXT: whether the row reads TEXT at a grey level from
# 1 down to 0.8 (a fading message darkens by 0.01 a frame).
shows_text() {
    local grey
    for grey in 1 0.95 0.9 0.85 0.8; do
        [ "$(read_row "$1" "$2" "$grey")" = "$3" ] && return 0
    done
    return 1
}

# band SHOT Y OUT: the 16 pixel rows of one text row.
band() { convert "$1" -crop "800x16+0+$2" +repage "$3"; }

# differing A B: how many pixels differ; compare's status 1 only says
# "different", while a picture it cannot read counts as all different.
differing() {
    local out status
    out=$(compare -metric AE "$1" "$2" null: 2>&1) && status=0 || status=$?
    if [ "$status" -le 1 ]; then awk '{printf "%d\n", $1}' <<<"$out"; else echo 999999999; fi
}

# brightness A B: mean difference of two pictures, 0 to 1.
brightness() { convert "$1" "$2" -compose difference -composite -format '%[fx:mean]' info:; }

# value TEXT NAME: the number after NAME: in a debug line.
value() { echo "$1" | sed -nE "s/.*$2:[[:space:]]*(-?[0-9]+\.[0-9]+).*/\1/p"; }

# wait_settled LIMIT: waits until debug lines 2 to 6 read the same and the
# message row's pixels stay as they are over a second (the wedge at rest,
# "Done Loading..." gone: a fading message changes every frame, and a dim
# one no longer reads as text). Line 1 is left out: its flags flip at
# every landing.
wait_settled() {
    local limit=$1 i same=0 previous="" now n
    for ((i = 0; i < limit * 2; i++)); do
        screenshot "$WORK/settle.ppm"
        band "$WORK/settle.ppm" "$MESSAGE_Y" "$WORK/settle-row.png"
        now=$(read_row "$WORK/settle.ppm" "$MESSAGE_Y")
        for n in 2 3 4 5 6; do now+="|$(read_line "$WORK/settle.ppm" "$n")"; done
        if [ "$now" = "$previous" ] && [ "${now%%|*}" = "" ] &&
            [ "$(differing "$WORK/settle-row.png" "$WORK/settle-row0.png")" -eq 0 ]; then
            same=$((same + 1))
            [ $same -ge 2 ] && return 0
        else
            same=0
        fi
        previous=$now
        mv "$WORK/settle-row.png" "$WORK/settle-row0.png"
        sleep 0.5
    done
    fail "the HUD did not settle within $limit s: $now"
}

# hold_until KEYS... -- LINE: holds the keys until debug line LINE reads
# differently (at most 20 s, however slow the frames come), releases them
# in reverse order and sets HELD_FROM and HELD_TO to the line's texts.
# For line 1 only the position counts, as the flags flip on their own.
hold_until() {
    local keys=() line i k text
    while [ "$1" != "--" ]; do keys+=("$1"); shift; done
    line=$2
    screenshot "$WORK/hold.ppm"
    HELD_FROM=$(read_line "$WORK/hold.ppm" "$line")
    for k in "${keys[@]}"; do xdotool keydown "$k"; done
    for ((i = 0; i < 100; i++)); do
        sleep 0.2
        screenshot "$WORK/hold.ppm"
        text=$(read_line "$WORK/hold.ppm" "$line")
        [ "${text%%Flags*}" != "${HELD_FROM%%Flags*}" ] && break
    done
    for ((k = ${#keys[@]} - 1; k >= 0; k--)); do xdotool keyup "${keys[k]}"; done
    [ "$i" -lt 100 ] || fail "holding ${keys[*]} left line $line at '$HELD_FROM'"
    sleep 0.3
    screenshot "$WORK/hold.ppm"
    HELD_TO=$(read_line "$WORK/hold.ppm" "$line")
}

# Starts the game with the build's assets and waits for the HUD to settle.
start_settled_game() {
    with_assets
    start_game
    find_window
    wait_settled 90
}

# Escape ends the game with status 0 and nothing on stderr.
quit_with_escape() {
    xdotool key Escape
    wait_exit 20
    [ "$STATUS" -eq 0 ] || fail "status $STATUS after Escape, wanted 0"
    [ ! -s "$WORK/stderr" ] || fail "the game wrote to stderr"
}
