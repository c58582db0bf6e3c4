#!/usr/bin/env bash
# An interrupted recording recovered end to end: a tone plays into the null sink, F7 and
# a drag record the area, the recorder is killed from outside at a random moment (14 to
# 24 s, or KORVANE_KILL_AT), started again, the offer is accepted and the recording saved.
# The saved file holds video and the tone, each lasting at least the recorded time minus
# 2 s, and the scratch folder keeps nothing of the recording. Prints one "figures:" line.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" recovery
saved="$WINEPREFIX/drive_c/users/Public/recovered movie.avi"
kill_at=${KORVANE_KILL_AT:-$(awk -v r="$RANDOM" 'BEGIN{printf "%.1f", 14 + 10 * r / 32767}')}
now() { date +%s.%N; }
start_recorder() {
    (cd "$KORVANE_DIST" && exec wine korvane.exe >>"$work/korvane.log" 2>&1) &
    pids+=($!)
    recorder=$!
}

rm -f "$saved"
touch "$work/before-recording"
start_recorder
info wait "$MAIN" 20000 || { fail "main window did not appear"; finish; }
sleep 0.5
sox -q -n -t pulseaudio nullsink synth 90 sine 440 vol 0.5 &
pids+=($!)

echo "== record, then kill the recorder after $kill_at s"
xdotool mousemove 600 500 key F7
info wait Title 2000 || fail "F7 did not show the selection window"
xdotool mousemove 300 200 mousedown 1
sleep 0.2
xdotool mousemove 200 150; sleep 0.1
xdotool mousemove 100 100; sleep 0.2
xdotool mouseup 1
xdotool mousemove 600 500
# The recording has begun when its description is there (written as the frames start).
for _ in $(seq 200); do
    [ -n "$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording")" ] && break
    sleep 0.05
done
started=$(now)
[ -n "$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording")" ] ||
    { fail "no description of the recording appeared"; finish; }
sleep "$kill_at"
wine taskkill /F /IM korvane.exe >/dev/null 2>&1
killed=$(now)
wait "$recorder" 2>/dev/null
recorded=$(awk -v a="$started" -v b="$killed" 'BEGIN{printf "%.2f", b - a}')

echo "== start again and accept the offer"
start_recorder
if info wait Korvane 20000; then
    info texts Korvane | grep -q "interrupted before it was saved" || fail "the offer does not say what it is"
    info command Korvane 6 # Yes
else
    fail "no offer of the interrupted recording"
fi
if info wait "Save to..." 30000; then
    sleep 1
    xdotool key ctrl+a
    xdotool type --delay 30 'C:\users\Public\recovered movie.avi'
    xdotool key Return
else
    fail "no \"Save to...\" dialog for the recovered recording"
fi
info wait Player 30000 || fail "no Player window after the save"

echo "== the saved file"
vsecs=0 asecs=0 rms=0
if [ -f "$saved" ]; then
    vsecs=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$saved")
    ffmpeg -v error -i "$saved" -vn -ac 1 -ar 22050 "$work/sound.wav" 2>/dev/null
    asecs=$(soxi -D "$work/sound.wav" 2>/dev/null || echo 0)
    rms=$(sox "$work/sound.wav" -n sinc 400-480 stat 2>&1 | awk '/RMS +amplitude/{print $3}')
    awk -v v="${vsecs:-0}" -v t="$recorded" 'BEGIN{exit !(v >= t - 2)}' ||
        fail "video lasts $vsecs s of $recorded s recorded"
    awk -v a="${asecs:-0}" -v t="$recorded" 'BEGIN{exit !(a >= t - 2)}' ||
        fail "audio lasts $asecs s of $recorded s recorded"
    awk -v r="${rms:-0}" 'BEGIN{exit !(r > 0.05)}' || fail "no 440 Hz tone in the audio (RMS $rms)"
else
    fail "nothing saved at $saved"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' -o -iname '*.krec' \) \
    -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "left in the scratch folder: $left"
echo "figures: killed after $recorded s, video $vsecs s, audio $asecs s, tone RMS $rms, left '${left}'"

info close Player || true
info close "$MAIN" || true
info gone "$MAIN" 5000 || true
finish
