#!/usr/bin/env bash
# Record pressed while a stopped recording is being finished: F7, a drag and about 3 s
# recorded, F8; while "Save to..." is up, F7 and a drag again. Nothing new may start (no
# selection window, no scratch AVI written), and the file saved afterwards is the first
# recording, as long as it was when the dialog came up.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" busyfinish
saved="$WINEPREFIX/drive_c/users/Public/busy finish.avi"
rm -f "$saved"
start_recorder || finish

touch "$work/before-recording"
record_area 300 200 100 100
sleep 3
stop_recording
await_save_dialog || finish
pending=$(find "$scratch" -maxdepth 1 -iname '~temp*.avi' -size +0 -newer "$work/before-recording" | head -n 1)
[ -n "$pending" ] || { fail "no recording in $scratch"; finish; }
first=$(probe "$pending" v:0 duration)
awk -v d="${first:-0}" 'BEGIN{exit !(d > 2 && d < 4.5)}' || fail "the first recording lasts $first s, wanted about 3"

echo "== F7 and a drag while the save is pending"
touch "$work/before-second"
sleep 1
xdotool key F7
info gone Title 1500 || fail "F7 showed the selection window while finishing"
drag 60 60 160 130
sleep 2
expect_scratch_clean "$work/before-second" "scratch files written while finishing"

type_save 'C:\users\Public\busy finish.avi'
await_player
secs=$(probe "$saved" v:0 duration 2>/dev/null)
near "$secs" "$first" 0.5 || fail "saved video lasts '$secs' s, the first recording $first s"
echo "first recording $first s, saved $secs s"
expect_scratch_clean "$work/before-recording" "temporary files left"
rm -f "$saved"
close_player
info close "$main" || true
finish
