#!/usr/bin/env bash
# The screen's resolution changes in the middle of a recording (a bench without a Wine
# virtual desktop, whose one monitor follows the X screen: tools/with-bench --no-desktop).
# A 900x560 area is recorded on a 1024x768 screen of distinct 8x8 blocks, then the
# screen goes to 800x600 (RandR, tools/xmonitors --mode): the area no longer fits, so the recording must end by
# itself, say why, and be saved; its frames from before the change must be the
# screenshot taken then (PSNR >= 30 dB), not black.
#   display_change_e2e.sh DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" display
cp "$1" "$work/"
saved="$WINEPREFIX/drive_c/users/Public/changed.avi"
x=100 y=190 w=900 h=560  # below the main window, which has no window manager to move it

(cd "$work" && exec wine dpi_pattern.exe >"$work/pattern.log" 2>&1) &
pids+=($!)
info wait Pattern 20000 || { fail "the pattern did not appear"; finish; }
start_recorder || finish
rm -f "$saved"
record_area $x $y $((x + w - 1)) $((y + h - 1))
wait_until 20000 shows_pattern $x $y $w $h "$work/before.png" ||
    fail "the screen did not show the pattern again"
sleep 1
"$tools/xmonitors" --mode 800x600 >"$work/mode.log" 2>&1 &
pids+=($!)
wait_until 10000 grep -q mode "$work/mode.log" || fail "the X screen did not take 800x600"
expect_notice "the display changed" 60000
await_save_dialog && type_save 'C:\users\Public\changed.avi'
await_player
close_player
if [ -f "$saved" ]; then
    v=$(probe "$saved" v:0 width,height)
    [ "$v" = "$w,$h" ] || fail "the movie is $v, wanted $w,$h"
    cp "$saved" "$work/"
    n=$(frames "$saved")
    length=$(probe "$saved" v:0 duration)
    [ "$n" -ge 5 ] || fail "the movie holds $n frames, wanted those of the seconds before the change"
    # The screenshot's moment lies in the first second or two; the best frame of those is
    # its frame, and no black one.
    best=0
    for at in $(awk -v d="${length:-0}" 'BEGIN{for (t = 0.2; t < d; t += 0.2) print t}'); do
        db=$(frame_psnr "$saved" "$work/before.png" -ss "$at")
        at_least "$best" "$db" || best=$db
    done
    at_least "$best" 30 || fail "no frame before the change is the screenshot: best PSNR $best dB, wanted 30 or more"
    echo "movie: ${v/,/x}, $n frames, $length s; before the change PSNR $best dB; told: $notice"
else
    fail "nothing saved at $saved"
fi
info close "$main" || true
info close Pattern || true
finish
