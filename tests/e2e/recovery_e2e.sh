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
# KORVANE_E2E_SAVE: the Windows path to save as (its folder is made first).
save_as=${KORVANE_E2E_SAVE:-'C:\users\Public\recovered movie.avi'}
saved=$(unix_path "$save_as")
mkdir -p "$(dirname "$saved")"
kill_at=${KORVANE_KILL_AT:-$(awk -v r="$RANDOM" 'BEGIN{printf "%.1f", 14 + 10 * r / 32767}')}
rm -f "${saved%.avi}"*.avi
if [ -n "${KORVANE_E2E_COMPRESSOR:-}" ]; then
    # The FourCC as the DWORD the recorder remembers it as (its first letter lowest).
    fourcc=$(printf '%s' "$KORVANE_E2E_COMPRESSOR" | od -An -tx4 | tr -d ' \n')
    wine reg add 'HKCU\Software\Korvane\Options' /v Compressor /t REG_DWORD /d "0x$fourcc" /f \
        >/dev/null 2>&1 || fail "could not choose $KORVANE_E2E_COMPRESSOR"
fi
touch "$work/before-recording"
start_recorder || finish
play_tone 120

echo "== record, then kill the recorder after $kill_at s"
record_area 300 200 100 100 || finish
# The recording has begun when its description is there (written as the frames start);
# a busy machine may take its time. A recorder that is idle again long after the
# selection closed did not take the area: it is shown what it had, then dragged again.
# One that shows a recording but wrote nothing has been seen stuck in Wine's X library:
# its first screen copy and the window thread's first cursor, on one X connection, each
# waiting for the other inside libX11. That cannot happen on Windows; its stacks are
# shown, and the recording is made once more by a new recorder.
described() { [ -n "$(find "$scratch" -maxdepth 1 -name '*.krec' -newer "$work/before-recording")" ]; }
if ! wait_until 30000 described; then
    if [ "$(buttons)" = "1 0 0" ]; then
        echo "the recorder was idle 30 s after the selection closed:"
        recorder_state
    else
        echo "the recorder showed a recording but wrote nothing for 30 s:"
        recorder_state
        recorder_threads
        discard_stuck_recorder "$work/before-recording"
        start_recorder || finish
    fi
    record_area 300 200 100 100 || finish
fi
wait_until 60000 described || {
    fail "no description of the recording appeared"
    recorder_state
    recorder_threads
    finish
}
started=$(now)
sleep "$kill_at"
kill_recorder || { fail "the recorder outlived kill -9"; finish; }
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
launch_recorder
if info wait Korvane 60000; then
    info texts Korvane | grep -q "interrupted before it was saved" || fail "the offer does not say what it is"
    info command Korvane 6 # Yes
else
    fail "no offer of the interrupted recording"
fi
if info wait "Save to..." 60000; then
    sleep 1
    type_save "$save_as"
else
    fail "no \"Save to...\" dialog for the recovered recording"
fi
# Parts after the first are announced in a message box before the player starts.
if [ -n "${KORVANE_PART_BYTES:-}" ] && info wait Korvane 120000; then
    info texts Korvane | tr '\n' ' ' | sed 's/^/    /'; echo
    info command Korvane 1 # OK
fi
await_player 120000
expect_movie_played "$save_as"

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
        v=$(probe "$f" v:0 duration)
        a=$(decode_sound "$f" "$work/part.wav" || echo 0)
        vsecs=$(awk -v s="$vsecs" -v x="${v:-0}" 'BEGIN{printf "%.2f", s + x}')
        asecs=$(awk -v s="$asecs" -v x="${a:-0}" 'BEGIN{printf "%.2f", s + x}')
        [ -f "$work/part.wav" ] && cp "$work/part.wav" "$work/sound-$(basename "$f").wav"
    done
    sox "$work"/sound-*.wav "$work/sound.wav" 2>/dev/null || cp "$work/part.wav" "$work/sound.wav"
    rms=$(tone_rms "$work/sound.wav")
    awk -v v="${vsecs:-0}" -v t="$recorded" 'BEGIN{exit !(v >= t - 2)}' ||
        fail "video lasts $vsecs s of $recorded s recorded"
    awk -v a="${asecs:-0}" -v t="$recorded" 'BEGIN{exit !(a >= t - 2)}' ||
        fail "audio lasts $asecs s of $recorded s recorded"
    has_tone "$rms" || fail "no 440 Hz tone in the audio (RMS $rms)"
    if [ -n "${KORVANE_E2E_COMPRESSOR:-}" ]; then
        codec=$(probe "$saved" v:0 codec_name)
        [ "$codec" = "$(echo "$KORVANE_E2E_COMPRESSOR" | tr A-Z a-z)" ] ||
            fail "the recovered video is '$codec', wanted $KORVANE_E2E_COMPRESSOR"
    fi
else
    fail "nothing saved at $saved"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' -o -iname '*.krec' \
    -o -iname '*.tmp' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "left in the scratch folder: $left"
tone=$(has_tone "$rms" && echo yes || echo no)
echo "figures: killed after $recorded s (sound left $left_sound s), files ${#files[@]}, video $vsecs s, audio $asecs s," \
    "tone $tone (RMS $rms), scratch ${left:+not }clean${left:+: $left}"

info close Player || true
info close "$MAIN" || true
info gone "$MAIN" 5000 || true
finish
