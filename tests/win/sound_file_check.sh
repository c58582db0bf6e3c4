#!/usr/bin/env bash
# Every WAV file the writer tests leave behind must be read by sox and ffprobe with the
# format and length we wrote.   sound_file_check.sh TESTS_EXE
set -euo pipefail
exe=$1
# shellcheck disable=SC1091
. "$KORVANE_BENCH_DIR/default/env"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-wav.XXXXXX")
trap 'rm -rf "$work"' EXIT
wine "$exe" --keep "$(winepath -w "$work")"
fail=0
check() { # file channels rate samples
    local f=$work/$1 got
    got=$(soxi -c "$f")/$(soxi -r "$f")/$(soxi -s "$f")
    [ "$got" = "$2/$3/$4" ] || { echo "FAIL sox $1: $got, want $2/$3/$4"; fail=1; }
    got=$(ffprobe -v error -show_entries stream=codec_name,channels,sample_rate -of csv=p=0 "$f")
    case "$got" in
        pcm_*,"$3",$2) ;;
        *) echo "FAIL ffprobe $1: $got"; fail=1 ;;
    esac
}
check empty.wav 2 22050 0
check one_buffer.wav 2 22050 1000
check odd_count.wav 1 11025 1001
check truncated.wav 2 44100 0
check short.wav 1 11025 601
n=$(find "$work" -name '*.wav' ! -name 'bad_*' | wc -l)
[ "$n" = 6 ] || { echo "FAIL: $n files written, expected 6"; fail=1; }
check read_back.wav 2 22050 1000
exit $fail
