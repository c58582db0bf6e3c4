#!/usr/bin/env bash
# The scripted demo the run command plays when there is no display: inside a test
# bench (DISPLAY, WINEPREFIX set), it starts the recorder, records a dragged area for a
# few seconds with the hotkeys, and leaves screenshots and the recording in OUT.
#   demo.sh OUT
set -uo pipefail
out=${1:?usage: demo.sh OUT}
dist=${KORVANE_DIST:?}
mkdir -p "$out"
shot() { import -window root "$out/$1.png" 2>/dev/null; }
scratch=$WINEPREFIX/drive_c/windows/temp

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
sleep 3
shot 3-stopped
found=0
for f in "$scratch"/~temp*.avi; do
    [ -f "$f" ] || continue
    cp "$f" "$out/recording.avi" && found=1
done
if [ $found = 1 ]; then
    ffprobe -v error -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames \
        -of default=nw=1 "$out/recording.avi" >"$out/recording.txt" 2>&1
    echo "demo: recorded $out/recording.avi"; cat "$out/recording.txt"
else
    echo "demo: no recording was left in the scratch folder"
fi
