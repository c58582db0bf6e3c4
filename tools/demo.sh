#!/usr/bin/env bash
# The scripted demo the run command plays when there is no display: inside a test
# bench (DISPLAY, WINEPREFIX set), it starts the recorder, records a dragged area for a
# few seconds with the hotkeys, saves it through the "Save to..." dialog, and leaves
# screenshots, the recorder's log and the saved movie in OUT. The steps are the
# end-to-end tests' own (tests/e2e/e2e_common.sh).
#   demo.sh OUT
out=${1:?usage: demo.sh OUT}
: "${KORVANE_DIST:?}"
KORVANE_SOURCE=${KORVANE_SOURCE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KORVANE_BUILD=${KORVANE_BUILD:-$(dirname "$KORVANE_DIST")}
# shellcheck disable=SC1091
. "$KORVANE_SOURCE/tests/e2e/e2e_common.sh" demo
mkdir -p "$out"
recorder_log=$out/korvane.log
shot() { import -window root "$out/$1.png" 2>/dev/null; }

start_recorder || finish
shot 1-started
# Something that moves under the recorded area: Wine's own clock.
wine clock >/dev/null 2>&1 &
pids+=($!)
info wait Clock 20000 || echo "demo: Wine's clock did not appear"
record_area 120 120 520 420
sleep 1
shot 2-recording
for x in 200 300 400 500 400 300; do xdotool mousemove $x 300; sleep 0.5; done
stop_recording
await_save_dialog
shot 3-save-dialog
type_save 'C:\users\Public\korvane demo.avi'
await_player
shot 4-player
saved="$WINEPREFIX/drive_c/users/Public/korvane demo.avi"
if [ -s "$saved" ]; then
    cp "$saved" "$out/recording.avi"
    ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate:format=duration \
        -of default=nw=1 "$out/recording.avi" >"$out/recording.txt" 2>&1
    echo "demo: saved movie $out/recording.avi"; cat "$out/recording.txt"
else
    fail "the recording was not saved; screenshots are in $out"
fi
finish
