#!/usr/bin/env bash
# Movies through the Video 1 driver, judged by ffprobe and ffmpeg:
#  1. 100 changing frames written under Wine through AVIFile's compressed stream with our
#     compressor read as msvideo1, 320x240, 25 fps, 100 frames, key frames exactly at
#     0, 25, 50, 75, small delta frames, strh.fccHandler MSVC; ffmpeg's decode equals our
#     driver's decode byte for byte, and both are close to the source frames;
#  2. movies coded by ffmpeg's own msvideo1 encoder decode with our driver exactly as
#     with ffmpeg.
# Usage: codec_avi_check.sh path/to/codec_avi_tool.exe   (needs a bench: the shared one
# when $KORVANE_BENCH_DIR/default is up, else a private one)
set -euo pipefail
tool=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    bench_env=${KORVANE_BENCH_DIR:-}/default/env
    if [ -n "${KORVANE_BENCH_DIR:-}" ] && [ -f "$bench_env" ]; then
        # shellcheck disable=SC1090
        . "$bench_env"
    else
        exec "$tools/with-bench" --no-audio -- bash "${BASH_SOURCE[0]}" "$@"
    fi
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

passed=0 failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
ff() { ffmpeg -nostdin -v error -y "$@"; }
win() { winepath -w "$1" 2>/dev/null; }
run_tool() { wine "$tool" "$@"; }

# ---- 1. our compressor through AVIFile --------------------------------------------
run_tool write "$(win "$work/ours.avi")" "$(win "$work/source.bgr24")" 100

probe=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 ours.avi)
if [ "$probe" = "msvideo1,320,240,25/1,100" ]; then ok "ffprobe: $probe"; else bad "ffprobe: $probe"; fi

keys=$(ffprobe -v error -select_streams v:0 -show_entries packet=flags -of csv=p=0 ours.avi |
    grep -n K | cut -d: -f1 | awk '{printf "%s%d", (NR > 1 ? "," : ""), $1 - 1}')
if [ "$keys" = "0,25,50,75" ]; then ok "key frames at $keys"; else bad "key frames at '$keys'"; fi

sizes=$(ffprobe -v error -select_streams v:0 -show_entries packet=size,flags -of csv=p=0 ours.avi |
    awk -F, '$2 ~ /K/ {k += $1; nk++} $2 !~ /K/ {d += $1; nd++}
             END {printf "%d %d", (nk ? k / nk : 0), (nd ? d / nd : 0)}')
read -r key_avg delta_avg <<<"$sizes"
if [ "$delta_avg" -gt 0 ] && [ $((delta_avg * 4)) -lt "$key_avg" ]; then
    ok "delta frames skip: key $key_avg bytes, delta $delta_avg bytes on average"
else
    bad "delta frames do not skip: key $key_avg bytes, delta $delta_avg bytes"
fi

handler=$(python3 - ours.avi <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
i = data.find(b'strh')
print(data[i + 12:i + 16].decode('latin-1') if i >= 0 else '')
PY
)
if [ "$handler" = MSVC ]; then ok "strh.fccHandler MSVC"; else bad "strh.fccHandler '$handler'"; fi

ff -i ours.avi -f rawvideo -pix_fmt bgr24 ffmpeg.bgr24
run_tool decode "$(win "$work/ours.avi")" "$(win "$work/ours.bgr24")"
if cmp -s ffmpeg.bgr24 ours.bgr24 && [ -s ours.bgr24 ]; then
    ok "ffmpeg decodes our movie as our driver does"
else
    bad "ffmpeg's decode of our movie differs from our driver's ($(cmp ffmpeg.bgr24 ours.bgr24 2>&1 | head -1))"
fi

psnr=$(ffmpeg -nostdin -v info -f rawvideo -pix_fmt bgr24 -s 320x240 -i source.bgr24 \
    -f rawvideo -pix_fmt bgr24 -s 320x240 -i ffmpeg.bgr24 -lavfi psnr -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1)
if awk -v p="$psnr" 'BEGIN {exit !(p == "inf" || p + 0 >= 30)}'; then
    ok "decoded frames match the source at $psnr dB"
else
    bad "decoded frames are far from the source: '$psnr' dB"
fi

# ---- 2. ffmpeg's encoder, our decoder -----------------------------------------------
for size in 320x240 160x120; do
    ff -f lavfi -i "testsrc=size=$size:rate=25" -frames:v 50 -c:v msvideo1 "ff$size.avi"
    ff -i "ff$size.avi" -f rawvideo -pix_fmt bgr24 "ff$size.ffmpeg.bgr24"
    if run_tool decode "$(win "$work/ff$size.avi")" "$(win "$work/ff$size.ours.bgr24")" &&
        [ -s "ff$size.ours.bgr24" ] && cmp -s "ff$size.ffmpeg.bgr24" "ff$size.ours.bgr24"; then
        ok "ffmpeg's $size movie decodes with our driver exactly as with ffmpeg"
    else
        bad "ffmpeg's $size movie decodes differently with our driver"
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
