#!/usr/bin/env bash
# Recordings that meet trouble keep what was recorded. With a tone playing:
#  - parts: the part size lowered (KORVANE_PART_BYTES), about 6 s recorded; the save
#    gives "parts.avi", "parts (2).avi", ... each with video and sound, lasting together
#    as long as the recording, and a message names them all;
#  - a full scratch drive: the scratch folder on a small tmpfs that a filler fills up
#    mid-recording; the recorder stops by itself, says why, and the save keeps at least
#    95 % of what was recorded;
#  - Exit at once after Stop: nothing is cut short, the save dialog still comes.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" faults
public=$WINEPREFIX/drive_c/users/Public
sox -q -n -t pulseaudio nullsink synth 300 sine 440 vol 0.5 &
pids+=($!)

korvane_pid=
start_recorder() {
    (cd "$KORVANE_DIST" && exec env "$@" wine korvane.exe >>"$work/korvane.log" 2>&1) &
    korvane_pid=$!
    pids+=($korvane_pid)
    info wait "$MAIN" 20000 || { fail "main window did not appear"; finish; }
    sleep 0.5
}
stop_recorder() {
    info close "$MAIN" || true
    info gone "$MAIN" 10000 || fail "the recorder did not close"
    local i
    for i in $(seq 30); do kill -0 "$korvane_pid" 2>/dev/null || return 0; sleep 0.5; done
    kill "$korvane_pid" 2>/dev/null
}
# F7 and a drag over the area (x1 y1 x2 y2).
record_area() {
    info front "$MAIN"; sleep 0.3
    xdotool mousemove 600 500 key F7
    info wait Title 4000 || fail "F7 did not show the selection window"
    sleep 0.3
    xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)); sleep 0.1
    xdotool mousemove "$3" "$4"; sleep 0.2
    xdotool mouseup 1; xdotool mousemove 600 500
}
save_as() {
    info wait "Save to..." 20000 || { fail "no \"Save to...\" dialog"; return 1; }
    sleep 1
    info front "Save to..."
    xdotool key ctrl+a
    xdotool type --delay 30 "$1"
    xdotool key Return
}
duration() { ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$2" 2>/dev/null; }
# The sound's length, decoded (a compressed stream states none).
sound_seconds() {
    rm -f "$work/sound.wav"
    ffmpeg -v error -i "$1" -vn -ac 1 -ar 22050 "$work/sound.wav" 2>/dev/null && soxi -D "$work/sound.wav" 2>/dev/null
}
frames() { ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$1" 2>/dev/null; }
# Closes the message box titled Korvane after checking it says $1; prints its text.
expect_notice() {
    info wait Korvane "${2:-15000}" || { fail "no message saying '$1'"; return 1; }
    local text
    text=$(info texts Korvane | tr '\n' ' ')
    echo "message: $text"
    case $text in *"$1"*) ;; *) fail "the message says '$text', wanted '$1'" ;; esac
    info close Korvane
    info gone Korvane 5000 || xdotool key Return
}

echo "== parts"
rm -f "$public"/parts*.avi
start_recorder KORVANE_PART_BYTES=250000
record_area 100 100 420 340
sleep 6
xdotool key F8
save_as 'C:\users\Public\parts.avi'
expect_notice "saved in" 60000
info wait Player 30000 || fail "no Player window after saving the parts"
info close Player || true
count=0 total=0
for f in "$public/parts.avi" "$public"/parts\ \(*\).avi; do
    [ -f "$f" ] || continue
    count=$((count + 1))
    v=$(duration v:0 "$f") a=$(sound_seconds "$f")
    echo "$(basename "$f"): video ${v:-none} s, audio ${a:-none} s"
    [ -n "$v" ] && [ -n "$a" ] || fail "$(basename "$f") lacks video or audio"
    # Each part's sound is the sound that played with its frames.
    awk -v a="${a:-0}" -v v="${v:-0}" 'BEGIN{d = a - v; exit !(d < 0.3 && d > -0.3)}' ||
        fail "$(basename "$f"): audio $a s against video $v s"
    total=$(awk -v t="$total" -v v="${v:-0}" 'BEGIN{print t + v}')
done
[ "$count" -ge 3 ] || fail "$count parts saved, wanted three or more"
# The recording lasted about 6 s; the parts together, within a frame per seam.
awk -v t="$total" 'BEGIN{exit !(t > 5 && t < 8)}' || fail "the parts last $total s together"
echo "parts: $count, $total s in all"
stop_recorder

echo "== the scratch drive fills up"
small=$work/small
mkdir -p "$small"
if mount -t tmpfs -o size=48m tmpfs "$small" 2>/dev/null; then
    on_exit='umount -l "$small" 2>/dev/null'
    start_recorder KORVANE_SCRATCH_FOLDER="Z:${small//\//\\}"
    record_area 0 0 639 479
    sleep 2
    # Something else takes the rest of the drive.
    dd if=/dev/zero of="$small/filler" bs=1M 2>/dev/null
    expect_notice "The recording stopped because" 30000
    pending=$(find "$small" -maxdepth 1 -iname '~temp*.avi' -size +0 | head -n 1)
    recorded=$(frames "$pending")
    echo "recorded frames in the scratch file: ${recorded:-none}"
    save_as 'C:\users\Public\full drive.avi'
    info wait Player 60000 || fail "no Player window after saving from a full drive"
    info close Player || true
    saved=$(frames "$public/full drive.avi")
    echo "saved frames: ${saved:-none}"
    awk -v s="${saved:-0}" -v r="${recorded:-0}" 'BEGIN{exit !(r > 10 && s >= 0.95 * r)}' ||
        fail "saved $saved frames of $recorded recorded"
    [ -f "$public/full drive.avi.wav" ] || [ -n "$(sound_seconds "$public/full drive.avi")" ] ||
        fail "the sound was not saved"
    stop_recorder
    rm -f "$public/full drive.avi" "$public/full drive.avi.wav"
    umount -l "$small"
    on_exit=:
else
    echo "SKIP: no tmpfs can be mounted here (needs root); the full-drive case did not run"
fi

echo "== Exit right after Stop"
start_recorder
rm -f "$public/exit.avi"
record_area 300 200 100 100
sleep 3
xdotool key F8
info close "$MAIN"
sleep 0.3
info close "$MAIN"
save_as 'C:\users\Public\exit.avi'
info wait Player 30000 || fail "no Player window after Stop and Exit"
info close Player || true
v=$(duration v:0 "$public/exit.avi")
awk -v v="${v:-0}" 'BEGIN{exit !(v > 2.5 && v < 4.5)}' || fail "exit.avi lasts '$v' s, wanted about 3"
info wait "$MAIN" 100 || fail "the main window went away during the finish"

rm -f "$public/exit.avi" "$public"/parts*.avi
stop_recorder
finish
