#!/usr/bin/env bash
# Full screen and the whole desktop chosen in Options, on two 1024x768 monitors, the
# second left of the primary (a bench of its own: tools/with-bench --monitors
# 1024x768+0+0,*1024x768+1024+0). Over a screen of distinct 8x8 blocks, with the pointer
# on the left monitor, F7 records at once: Full Screen must give a 1024x768 movie whose
# last frame is the screenshot of that monitor (PSNR >= 30 dB), the whole desktop a
# 2048x768 one whose left half is. The main window says each time what Record takes.
# Record Cursor is off, so that the frames can equal a screenshot. Coordinates here are
# the X screen's; Windows' are 1024 less in x.
#   fullscreen_e2e.sh DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" fullscreen
public="$WINEPREFIX/drive_c/users/Public"
start_pattern "$1" || finish
start_recorder || finish
expect_text "$main" 1030 "Area: dragged out with the mouse" "region line at the first start"

checked_is() { [ "$(control checked "$OPTIONS" "$1")" = "$2" ]; }
# Chooses the region radio ID in Options (Record Cursor switched off the first time);
# the main window's region line must then say LINE.
choose_region() { # id, line, [cursor]
    open_options || return 1
    click "$OPTIONS" "$1" 6
    wait_until 5000 checked_is "$1" 1 || fail "radio $1 is not checked after a click"
    if [ "${3:-}" = cursor ]; then
        click "$OPTIONS" 1016 6
        wait_until 5000 checked_is 1016 0 || fail "Record Cursor is still checked"
    fi
    confirm_options
    expect_text "$main" 1030 "$2" "region line"
}

# Records with the pointer on the left monitor, saves as NAME; the movie must be W x H,
# and its last frame's part CROP the screenshot of the left monitor.
record_left() { # name, width, height, crop
    rm -f "$public/$1.avi"
    xdotool mousemove 500 400
    record_without_selection || return 1
    wait_until 20000 shows_pattern 0 0 1024 768 "$work/$1.png" ||
        fail "$1: the left monitor did not show the pattern"
    sleep 2
    save_and_judge "$1" "$2" "$3" "$work/$1.png" "$4" &&
        echo "$1: $2x$3, PSNR $judged_db dB of $4 against the left monitor's screenshot"
}

echo "== Full Screen: the monitor under the pointer"
choose_region 1031 "Full screen: the monitor under the pointer" cursor
record_left monitor 1024 768 1024:768:0:0
echo "== Whole Desktop: every monitor"
choose_region 1032 "Whole desktop: all monitors (2048x768)"
record_left desktop 2048 768 1024:768:0:0
info close "$main" || true
info close Pattern || true
finish
