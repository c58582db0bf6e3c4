#!/usr/bin/env bash
# Finishing a recording end to end, as a user would: a tone plays into the null sink,
# F7 and a drag from (300,200) to (100,100) record about 5 s, F8, a name with blanks is
# typed into the "Save to..." dialog and Enter; the saved file holds the msvideo1 stream
# (204x104) and the tone, the temporary files are gone and a "Player" window appears.
# Env: KORVANE_BUILD, KORVANE_DIST, KORVANE_SOURCE, KORVANE_BENCH_DIR (set by CTest).
set -uo pipefail
: "${KORVANE_BUILD:?}" "${KORVANE_DIST:?}" "${KORVANE_SOURCE:?}"
tools=$KORVANE_SOURCE/tools
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -n "${bench:-}" ] && "$tools/testbench" stop "$bench" >/dev/null 2>&1
}
trap cleanup EXIT INT TERM
if [ -f "${KORVANE_BENCH_DIR:-}/default/env" ]; then
    # shellcheck disable=SC1090,SC1091
    . "$KORVANE_BENCH_DIR/default/env"
else
    bench=e2efinish$$
    # shellcheck disable=SC1090
    . "$("$tools/testbench" start "$bench")"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-finish-e2e.XXXXXX")
wininfo=$work/wininfo.exe
cp "$KORVANE_BUILD/tests/e2e/wininfo.exe" "$wininfo"
MAIN="Korvane by Quillory"
scratch=$WINEPREFIX/drive_c/windows/temp
target_dir=$WINEPREFIX/drive_c/users/Public
saved="$target_dir/my finished movie.avi"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
info() { wine "$wininfo" "$@" 2>/dev/null | tr -d '\r'; }

rm -f "$saved"
(cd "$KORVANE_DIST" && exec wine korvane.exe >"$work/korvane.log" 2>&1) &
pids+=($!)
info wait "$MAIN" 20000 || { fail "main window did not appear"; exit 1; }
sleep 0.5
sox -q -n -t pulseaudio nullsink synth 30 sine 440 vol 0.5 &
pids+=($!)

echo "== record about 5 s of the dragged area"
touch "$work/before-recording"
xdotool mousemove 600 500 key F7
info wait Title 2000 || fail "F7 did not show the selection window"
xdotool mousemove 300 200 mousedown 1
sleep 0.2
xdotool mousemove 200 150; sleep 0.1
xdotool mousemove 100 100; sleep 0.2
xdotool mouseup 1
xdotool mousemove 600 500
sleep 5
xdotool key F8

echo "== save under a name with blanks"
if info wait "Save to..." 15000; then
    sleep 1
    xdotool key ctrl+a
    xdotool type --delay 30 'C:\users\Public\my finished movie.avi'
    xdotool key Return
else
    fail "no \"Save to...\" dialog after F8"
fi
info wait Player 30000 || fail "no Player window after the save"

echo "== the saved file"
[ -f "$saved" ] || fail "nothing saved at $saved"
if [ -f "$saved" ]; then
    v=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height -of csv=p=0 "$saved")
    [ "$v" = "msvideo1,204,104" ] || fail "video stream is '$v', wanted msvideo1,204,104"
    a=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_type -of csv=p=0 "$saved")
    [ "$a" = audio ] || fail "no audio stream in the saved file"
    ffmpeg -v error -i "$saved" -vn -ac 1 -ar 22050 "$work/sound.wav" 2>/dev/null
    secs=$(soxi -D "$work/sound.wav" 2>/dev/null || echo 0)
    awk -v s="$secs" 'BEGIN{exit !(s > 3 && s < 8)}' || fail "audio lasts $secs s, wanted about 5"
    # The tone's band holds most of the energy.
    rms=$(sox "$work/sound.wav" -n sinc 400-480 stat 2>&1 | awk '/RMS +amplitude/{print $3}')
    awk -v r="${rms:-0}" 'BEGIN{exit !(r > 0.05)}' || fail "no 440 Hz tone in the audio (RMS $rms)"
    echo "saved: $v, audio $secs s, tone RMS $rms"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "temporary files left: $left"

info close Player || true
info close "$MAIN" || true
if [ $failures -eq 0 ]; then
    echo "PASS"
    rm -rf "$work"
    exit 0
fi
echo "$failures failure(s); files kept in $work"
exit 1
