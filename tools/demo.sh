#!/usr/bin/env bash
# The scripted demo the run command plays when there is no display: inside a test
# bench (DISPLAY, WINEPREFIX set), it starts the recorder, records a dragged area for a
# few seconds with the hotkeys, saves it through the "Save to..." dialog, and leaves
# screenshots and the saved movie in OUT.
#   demo.sh OUT
set -uo pipefail
out=${1:?usage: demo.sh OUT}
dist=${KORVANE_DIST:?}
mkdir -p "$out"
shot() { import -window root "$out/$1.png" 2>/dev/null; }

(cd "$dist" && wine korvane.exe >"$out/korvane.log" 2>&1) &
sleep 4
shot 1-started
# Something that moves under the recorded area: Wine's own clock.
wine clock >/dev/null 2>&1 &
sleep 2
xdotool key F7; sleep 1
xdotool mousemove 120 120 mousedown 1; sleep 0.3
xdotool mousemove 300 240; sleep 0.3
xdotool mousemove 520 420; sleep 0.3
xdotool mouseup 1
sleep 1
shot 2-recording
for x in 200 300 400 500 400 300; do xdotool mousemove $x 300; sleep 0.5; done
xdotool key F8
sleep 4
shot 3-save-dialog
# The "Save to..." dialog has the focus: give it a name and let the merge run.
xdotool type --delay 40 'C:\users\Public\korvane demo.avi'
xdotool key Return
saved="$WINEPREFIX/drive_c/users/Public/korvane demo.avi"
for t in $(seq 1 40); do [ -s "$saved" ] && break; sleep 0.5; done
sleep 4
shot 4-player
if [ -s "$saved" ]; then
    cp "$saved" "$out/recording.avi"
    ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate:format=duration \
        -of default=nw=1 "$out/recording.avi" >"$out/recording.txt" 2>&1
    echo "demo: saved movie $out/recording.avi"; cat "$out/recording.txt"
else
    echo "demo: the recording was not saved; screenshots are in $out"
fi
