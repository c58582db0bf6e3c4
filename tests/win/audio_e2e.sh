#!/usr/bin/env bash
# Recordings with audio through the recording thread, checked with sox and ffprobe.
#   audio_e2e.sh HOST_EXE
# 1. A 440 Hz tone played into the bench's null sink: the WAV data chunk is whole
#    sample frames (22050 Hz stereo 16-bit; silence for the device's slow start, then
#    whole buffers) and, after that start, its frequency is 440 Hz.
# 2. Paused for 2.5 s of 5.5: the WAV holds no more than the 3 s recorded unpaused.
# 3. The merge of a recording (the format proposed for Microsoft ADPCM, which Wine cannot
#    encode, so PCM after the retry; and no format chosen): one msvideo1 stream and one
#    audio stream, each as long as the recording's own file; and with IMA ADPCM, really
#    IMA ADPCM audio of the same length.
# 4. An uncreatable WAV file: one warning with its text, and the video still records.
# 5. On a bench without PulseAudio: the video records and the WAV data chunk is empty.
set -euo pipefail
part=all
[ "${1:-}" = --no-audio-part ] && { part=no-audio; shift; }
host=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-audio.XXXXXX")
if [ "${KORVANE_KEEP_OUTPUT:-0}" = 1 ]; then echo "output in $work"; else trap 'rm -rf "$work"' EXIT; fi
fail=0
bad() { echo "FAIL $*"; fail=1; }

run_host() { # mode dir
    mkdir -p "$2"
    wine "$host" "$1" "$(winepath -w "$2")" || { bad "$1: host failed"; return 1; }
    grep -qx WM_USER_GENERIC_MSG "$2/messages.txt" || bad "$1: no end report: $(cat "$2/messages.txt")"
    ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$2/recording.avi" | grep -qx msvideo1 \
        || bad "$1: no msvideo1 movie"
}

u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

check_wav() { # file -> prints data bytes; checks layout against the file size
    local f=$1 size data riff
    size=$(stat -c %s "$f"); riff=$(u32 "$f" 4); data=$(u32 "$f" 42)
    [ "$riff" = $((data + 38)) ] && [ "$size" = $((data + 46)) ] || bad "$f: sizes riff $riff data $data file $size"
    [ $((data % 4)) = 0 ] || bad "$f: data $data is not whole sample frames"
    [ "$(soxi -r "$f")/$(soxi -c "$f")/$(soxi -b "$f")" = 22050/2/16 ] || bad "$f: format $(soxi "$f")"
    echo "$data"
}

duration() { ffprobe -v error -select_streams "$2" -show_entries stream=duration -of csv=p=0 "$1"; }
# The merged movie against the recording's own files.
check_merged() { # dir name [audio codec]
    local f=$1/$2.avi streams va wa vm am codec=${3:-pcm_s16le}
    streams=$(ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 "$f" | sort | tr '\n' ' ')
    [ "$streams" = "$(printf '%s\n' msvideo1,video "$codec,audio" | sort | tr '\n' ' ')" ] \
        || { bad "$2: streams $streams"; return; }
    va=$(duration "$1/recording.avi" v:0); vm=$(duration "$f" v:0)
    wa=$(soxi -D "$1/recording.wav")
    am=$(ffmpeg -v error -i "$f" -map 0:a -f s16le - | wc -c | awk '{printf "%.3f", $1 / 88200}')
    echo "$2: video $vm s (recorded $va), audio $am s (recorded $wa)"
    awk -v a="$va" -v b="$vm" 'BEGIN { d = a - b; exit !(d < 0.05 && d > -0.05) }' || bad "$2: video $vm s, recorded $va"
    awk -v a="$wa" -v b="$am" 'BEGIN { d = a - b; exit !(d < 0.05 && d > -0.05) }' || bad "$2: audio $am s, recorded $wa"
}

tone_pid=""
start_tone() {
    sox -q -n -t pulseaudio nullsink synth 30 sine 440 vol 0.5 &
    tone_pid=$!
    sleep 0.5
}
stop_tone() { [ -n "$tone_pid" ] && kill "$tone_pid" 2>/dev/null; wait "$tone_pid" 2>/dev/null || true; tone_pid=""; }

audio_cases() {
    # shellcheck disable=SC1091
    . "$KORVANE_BENCH_DIR/default/env"
    trap 'stop_tone' RETURN
    start_tone
    if run_host record "$work/record"; then
        local f=$work/record/recording.wav data freq rms
        data=$(check_wav "$f")
        [ "$data" -ge $((20 * 4000)) ] || bad "record: only $data bytes of audio"
        freq=$(sox "$f" -n remix 1 trim 1.2 1 stat 2>&1 | awk '/Rough +frequency/ {print $3}')
        rms=$(sox "$f" -n remix 1 trim 1.2 1 stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
        echo "record: $data bytes, rough frequency $freq Hz, RMS $rms"
        [ "${freq:-0}" -ge 430 ] && [ "${freq:-0}" -le 450 ] || bad "record: frequency $freq, want 440"
        awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.1) }' || bad "record: too quiet ($rms)"
    fi
    if run_host pause "$work/pause"; then
        local data
        data=$(check_wav "$work/pause/recording.wav")
        echo "pause: $data bytes ($((data / 88200)).$(((data % 88200) * 10 / 88200)) s) for 3 s unpaused of 5.5 s"
        [ "$data" -gt 0 ] && [ "$data" -le $((88200 * 32 / 10)) ] || bad "pause: $data bytes"
    fi
    if run_host merge "$work/merge"; then
        local m
        [ "$(cat "$work/merge/merge.txt")" = "0 0 0" ] || bad "merge: results $(cat "$work/merge/merge.txt")"
        for m in merged merged_none; do check_merged "$work/merge" "$m"; done
        check_merged "$work/merge" merged_ima adpcm_ima_wav
    fi
    stop_tone
    if run_host badpath "$work/badpath"; then
        [ "$(cat "$work/badpath/shown.txt")" = "sound file not created" ] \
            || bad "badpath: shown: $(cat "$work/badpath/shown.txt")"
    fi
}

no_audio_case() {
    if run_host record "$work/silent"; then
        local data
        data=$(check_wav "$work/silent/recording.wav")
        [ "$data" = 0 ] || bad "no device: $data bytes of audio"
        [ "$(cat "$work/silent/shown.txt")" = "sound device not opened" ] ||
            bad "no device: told $(cat "$work/silent/shown.txt")"
    fi
}

if [ $part = no-audio ]; then no_audio_case; exit $fail; fi
# In a subshell: the shared bench's environment must not reach the private bench below.
( audio_cases; exit $fail ) || fail=1
# The same host on a private bench without PulseAudio.
"$KORVANE_SOURCE/tools/with-bench" --no-audio -- bash "$0" --no-audio-part "$host" || fail=1
exit $fail
