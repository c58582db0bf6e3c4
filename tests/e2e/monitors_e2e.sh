#!/usr/bin/env bash
# Two 1024x768 monitors, the second left of the primary, so at negative coordinates (a
# bench of its own: tools/with-bench --monitors 1024x768+0+0,*1024x768+1024+0). Over a
# screen of distinct 8x8 blocks: an area dragged on the left monitor and one across the
# boundary, each saved; each movie must have the area's size and its last frame must be
# the screenshot of exactly those pixels (PSNR >= 30 dB). Coordinates here are the X
# screen's; Windows' are 1024 less in x.
#   monitors_e2e.sh DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" monitors
public="$WINEPREFIX/drive_c/users/Public"
start_pattern "$1" || finish
start_recorder || finish

record_and_compare() { # name, x, y, width, height
    local name=$1 x=$2 y=$3 w=$4 h=$5
    rm -f "$public/$name.avi"
    record_area "$x" "$y" $((x + w - 1)) $((y + h - 1))
    wait_until 20000 shows_pattern "$x" "$y" "$w" "$h" "$work/$name.png" ||
        fail "$name: the screen did not show the pattern again"
    sleep 1
    save_and_judge "$name" "$w" "$h" "$work/$name.png" &&
        echo "$name: ${w}x$h at X $x,$y, PSNR $judged_db dB against the screenshot"
}

record_and_compare left 100 200 200 100
record_and_compare across 924 300 200 100
info close "$main" || true
info close Pattern || true
finish
