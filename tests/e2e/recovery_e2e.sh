#!/usr/bin/env bash
# An interrupted recording recovered end to end: a tone plays into the null sink, F7 and
# a drag record the area, the recorder's process is killed (SIGKILL) at a random moment
# (14 to 24 s, or KORVANE_KILL_AT), started again, the offer is accepted and the recording
# saved. The saved file holds video and the tone, each lasting at least the recorded time
# minus 2 s, and the scratch folder keeps nothing of the recording (reserve included).
# With KORVANE_PART_BYTES set the recording goes on in parts, all of them saved as
# "name.avi", "name (2).avi", ... and measured together. With KORVANE_E2E_COMPRESSOR set
# to ZMBV the recording uses the lossless codec, as if chosen in Options before, and the
# saved video must be of that codec. Prints one "figures:" line.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" recovery
saved="$WINEPREFIX/drive_c/users/Public/recovered movie.avi"
kill_at=${KORVANE_KILL_AT:-$(awk -v r="$RANDOM" 'BEGIN{printf "%.1f", 14 + 10 * r / 32767}')}
now() { date +%s.%N; }
start_recorder() {
    (cd "$KORVANE_DIST" && exec wine korvane.exe >>"$work/korvane.log" 2>&1) &
    pids+=($!)
}
# The Linux processes that run this bench's korvane.exe (other benches may run theirs).
recorder_pids() {
    local pid
    for pid in $(pgrep -f 'korvane\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            echo "$pid"
    done
}
# As a crash or a power cut would: no chance for the recorder to finish anything.
kill_recorder() {
    local pid
    for pid in $(recorder_pids); do kill -9 "$pid" 2>/dev/null; done
    for _ in $(seq 100); do [ -z "$(recorder_pids)" ] && return 0; sleep 0.1; done
    return 1
}

rm -f "${saved%.avi}"*.avi
if [ -n "${KORVANE_E2E_COMPRESSOR:-}" ]; then
    # The FourCC as the DWORD the recorder remembers it as (its first letter lowest).
    fourcc=$(printf '%s' "$KORVANE_E2E_COMPRESSOR" | od -An -tx4 | tr -d ' \n')
    wine reg add 'HKCU\Software\Korvane\Options' /v Compressor /t REG_DWORD /d "0x$fourcc" /f \
        >/dev/null 2>&1 || fail "could not choose $KORVANE_E2E_COMPRESSOR"
fi
touch "$work/before-recording"
start_recorder
info wait "$MAIN" 60000 || { fail "main window did not appear"; finish; }
sleep 0.5
sox -q -n -t pulseaudio nullsink synth 120 sine 440 vol 0.5 &
pids+=($!)

echo "== record, then kill the recorder after $kill_at s"
# Keys reach Wine only while one of its windows has the focus.
info front "$MAIN"; sleep 0.3
xdotool mousemove 600 500 key F7
info wait Title 5000 || { fail "F7 did not show the selection window"; finish; }
sleep 0.3
xdotool mousemove 300 200 mousedown 1
sleep 0.2
xdotool mousemove 200 150; sleep 0.1
xdotool mousemove 100 100; sleep 0.2
xdotool mouseup 1
xdotool mousemove 600 500
# The recording has begun when its description is there (written as the frames start);
# a busy machine may take its time.
for _ in $(seq 1200); do
    [ -n "$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording")" ] && break
    sleep 0.05
done
started=$(now)
[ -n "$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording")" ] ||
    { fail "no description of the recording appeared"; finish; }
sleep "$kill_at"
kill_recorder || { fail "the recorder outlived kill -9"; finish; }
killed=$(now)
recorded=$(awk -v a="$started" -v b="$killed" 'BEGIN{printf "%.2f", b - a}')
# What the killed recorder left of the sound (its rate from the description), so that a
# shortfall can be told apart: lost in the capture, or in the recovery.
krec=$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording" | head -n1)
left_wav=$(sed -n 's/^wav=//p' "$krec" | tr -d '\r' | sed 's/.*\\//')
h=$(sed -n 's/^audio-format=//p' "$krec" | tr -d '\r' | cut -c17-24)
left_sound=?
if [ ${#h} -eq 8 ] && [ -f "$scratch/$left_wav" ]; then
    rate=$((16#${h:6:2}${h:4:2}${h:2:2}${h:0:2}))
    left_sound=$(awk -v b="$(stat -c %s "$scratch/$left_wav")" -v r="$rate" \
        'BEGIN{ if (r > 0) printf "%.2f", (b - 44) / r }')
fi

echo "== start again and accept the offer"
start_recorder
if info wait Korvane 60000; then
    info texts Korvane | grep -q "interrupted before it was saved" || fail "the offer does not say what it is"
    info command Korvane 6 # Yes
else
    fail "no offer of the interrupted recording"
fi
if info wait "Save to..." 60000; then
    sleep 1
    info front "Save to..."
    xdotool key ctrl+a
    xdotool type --delay 30 'C:\users\Public\recovered movie.avi'
    xdotool key Return
else
    fail "no \"Save to...\" dialog for the recovered recording"
fi
# Parts after the first are announced in a message box before the player starts.
if [ -n "${KORVANE_PART_BYTES:-}" ] && info wait Korvane 120000; then
    info texts Korvane | tr '\n' ' ' | sed 's/^/    /'; echo
    info command Korvane 1 # OK
fi
info wait Player 120000 || fail "no Player window after the save"

echo "== the saved file"
# Every part, in order, each measured with its own sound.
files=("$saved")
for n in $(seq 2 99); do
    part="${saved%.avi} ($n).avi"
    [ -f "$part" ] || break
    files+=("$part")
done
vsecs=0 asecs=0 rms=0
if [ -f "$saved" ]; then
    for f in "${files[@]}"; do
        v=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$f")
        rm -f "$work/part.wav"
        ffmpeg -v error -i "$f" -vn -ac 1 -ar 22050 "$work/part.wav" 2>/dev/null
        a=$(soxi -D "$work/part.wav" 2>/dev/null || echo 0)
        vsecs=$(awk -v s="$vsecs" -v x="${v:-0}" 'BEGIN{printf "%.2f", s + x}')
        asecs=$(awk -v s="$asecs" -v x="${a:-0}" 'BEGIN{printf "%.2f", s + x}')
        [ -f "$work/part.wav" ] && cp "$work/part.wav" "$work/sound-$(basename "$f").wav"
    done
    sox "$work"/sound-*.wav "$work/sound.wav" 2>/dev/null || cp "$work/part.wav" "$work/sound.wav"
    rms=$(sox "$work/sound.wav" -n sinc 400-480 stat 2>&1 | awk '/RMS +amplitude/{print $3}')
    awk -v v="${vsecs:-0}" -v t="$recorded" 'BEGIN{exit !(v >= t - 2)}' ||
        fail "video lasts $vsecs s of $recorded s recorded"
    awk -v a="${asecs:-0}" -v t="$recorded" 'BEGIN{exit !(a >= t - 2)}' ||
        fail "audio lasts $asecs s of $recorded s recorded"
    awk -v r="${rms:-0}" 'BEGIN{exit !(r > 0.05)}' || fail "no 440 Hz tone in the audio (RMS $rms)"
    if [ -n "${KORVANE_E2E_COMPRESSOR:-}" ]; then
        codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$saved")
        [ "$codec" = "$(echo "$KORVANE_E2E_COMPRESSOR" | tr A-Z a-z)" ] ||
            fail "the recovered video is '$codec', wanted $KORVANE_E2E_COMPRESSOR"
    fi
else
    fail "nothing saved at $saved"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' -o -iname '*.krec' \
    -o -iname '*.tmp' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "left in the scratch folder: $left"
tone=$(awk -v r="${rms:-0}" 'BEGIN{print (r > 0.05) ? "yes" : "no"}')
echo "figures: killed after $recorded s (sound left $left_sound s), files ${#files[@]}, video $vsecs s, audio $asecs s," \
    "tone $tone (RMS $rms), scratch ${left:+not }clean${left:+: $left}"

info close Player || true
info close "$MAIN" || true
info gone "$MAIN" 5000 || true
finish
