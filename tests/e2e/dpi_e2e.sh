#!/usr/bin/env bash
# A dragged area on a display scaled to 150 % (144 DPI, a bench of its own): a screen of
# distinct 8x8 blocks, F7 and a drag from (600,500) to (799,599), about 2 s, F8, saved.
# The movie must be 200x100 and its last frame must be the screenshot of exactly those
# pixels (PSNR >= 30 dB). A recorder that saw scaled coordinates records another size.
#   dpi_e2e.sh DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" dpi
cp "$1" "$work/"
saved="$WINEPREFIX/drive_c/users/Public/scaled.avi"
x=600 y=500 w=200 h=100

(cd "$work" && exec wine dpi_pattern.exe >"$work/pattern.log" 2>&1) &
pids+=($!)
info wait Pattern 20000 || { fail "the pattern did not appear"; finish; }
start_recorder || finish

record_area $x $y $((x + w - 1)) $((y + h - 1))
sleep 1
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
sleep 1
stop_and_save 'C:\users\Public\scaled.avi'

if [ -f "$saved" ]; then
    v=$(probe "$saved" v:0 codec_name,width,height)
    [ "$v" = "msvideo1,$w,$h" ] || fail "the movie is '$v', wanted msvideo1,$w,$h"
    psnr() { frame_psnr "$saved" "$work/shot.png" "$@"; }
    # The last frame, and frames a player seeks to: a delta frame that the index calls a
    # key frame decodes black there.
    db=$(psnr -sseof -0.5)
    awk -v d="$db" 'BEGIN{exit !(d >= 30)}' || fail "last frame against the screenshot: PSNR $db dB, wanted 30 or more"
    for at in 0.5 0.9 1.3 1.7; do
        seek=$(psnr -ss $at)
        awk -v d="$seek" 'BEGIN{exit !(d >= 30)}' || fail "frame after a seek to $at s: PSNR $seek dB, wanted 30 or more"
    done
    echo "movie: $v, PSNR $db dB against the screenshot"
else
    fail "nothing saved at $saved"
fi
info close Player || true
info close "$main" || true
info close Pattern || true
finish
