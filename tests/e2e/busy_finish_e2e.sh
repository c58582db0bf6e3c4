#!/usr/bin/env bash
# Record pressed while a stopped recording is being finished: F7, a drag and about 3 s
# recorded, F8; while "Save to..." is up, F7 and a drag again. Nothing new may start (no
# selection window, no scratch AVI written), and the file saved afterwards is the first
# recording, as long as it was when the dialog came up.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" busyfinish
saved="$WINEPREFIX/drive_c/users/Public/busy finish.avi"
rm -f "$saved"
(cd "$KORVANE_DIST" && exec wine korvane.exe >"$work/korvane.log" 2>&1) &
pids+=($!)
info wait "$MAIN" 20000 || { fail "main window did not appear"; exit 1; }
sleep 0.5

drag() {
    xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)); sleep 0.1
    xdotool mousemove "$3" "$4"; sleep 0.2
    xdotool mouseup 1; xdotool mousemove 600 500
}
touch "$work/before-recording"
xdotool mousemove 600 500 key F7
info wait Title 2000 || fail "F7 did not show the selection window"
sleep 0.3
drag 300 200 100 100
sleep 3
xdotool key F8
info wait "Save to..." 60000 || { fail "no \"Save to...\" dialog after F8"; finish; }
sleep 1
pending=$(find "$scratch" -maxdepth 1 -iname '~temp*.avi' -size +0 -newer "$work/before-recording" | head -n 1)
[ -n "$pending" ] || { fail "no recording in $scratch"; finish; }
first=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$pending")
awk -v d="${first:-0}" 'BEGIN{exit !(d > 2 && d < 4.5)}' || fail "the first recording lasts $first s, wanted about 3"

echo "== F7 and a drag while the save is pending"
touch "$work/before-second"
sleep 1
xdotool key F7
info gone Title 1500 || fail "F7 showed the selection window while finishing"
drag 60 60 160 130
sleep 2
written=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$work/before-second" -printf '%f ')
[ -z "$written" ] || fail "scratch files written while finishing: $written"

info front "Save to..."
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 30 'C:\users\Public\busy finish.avi'
xdotool key Return
info wait Player 30000 || fail "no Player window after the save"
secs=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$saved" 2>/dev/null)
awk -v s="${secs:-0}" -v f="${first:-0}" 'BEGIN{d = s - f; exit !(d < 0.5 && d > -0.5)}' ||
    fail "saved video lasts '$secs' s, the first recording $first s"
echo "first recording $first s, saved $secs s"
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "temporary files left: $left"
rm -f "$saved"
info close Player || true
info gone Player 5000 || true
info close "$MAIN" || true
finish
