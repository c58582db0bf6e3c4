#!/bin/bash
# Cross-checks the codec core against FFmpeg, an independent implementation:
#  1. frames coded by FFmpeg's encoder decode with ours exactly as FFmpeg decodes them;
#  2. frames coded by our encoder decode with FFmpeg exactly as with our own decoder,
#     key frames included (ffprobe must see our key flags).
# Usage: video1_ffmpeg_check.sh path/to/v1avi
set -euo pipefail
V1AVI=$(readlink -f "$1")
command -v ffmpeg >/dev/null || { echo "ffmpeg missing"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ff() { ffmpeg -nostdin -v error -y "$@"; }

# Screen-like motion: a scrolling test card, bars and moving text over a gradient.
ff -f lavfi -i "testsrc=size=320x240:rate=10,drawtext=text='Korvane %{n}':x=20+3*n:y=40:fontsize=24" \
   -t 3 -pix_fmt bgr24 -f rawvideo src1.bgr24 2>/dev/null ||
ff -f lavfi -i "testsrc=size=320x240:rate=10" -t 3 -pix_fmt bgr24 -f rawvideo src1.bgr24
ff -f lavfi -i "smptebars=size=160x120:rate=10" -f lavfi -i "mandelbrot=size=160x120:rate=10" \
   -filter_complex "[0][1]blend=all_mode=average" -t 2 -pix_fmt bgr24 -f rawvideo src2.bgr24
# A still picture: every delta frame is all skips, which FFmpeg must neither reject as
# too small nor drop.
ff -f lavfi -i "smptebars=size=640x480:rate=10" -t 1.5 -pix_fmt bgr24 -f rawvideo src3.bgr24

fail=0
check() {  # name w h raw
    local name=$1 w=$2 h=$3 raw=$4
    ff -f rawvideo -pix_fmt bgr24 -s ${w}x$h -r 10 -i "$raw" -c:v msvideo1 "$name.ff.avi"
    ff -i "$name.ff.avi" -fps_mode passthrough -f rawvideo -pix_fmt bgr24 "$name.ffdec.bgr24"
    "$V1AVI" decode "$name.ff.avi" "$name.ourdec.bgr24"
    if cmp -s "$name.ffdec.bgr24" "$name.ourdec.bgr24"; then
        echo "$name: FFmpeg's stream decodes identically"
    else
        echo "$name: FFmpeg's stream decodes DIFFERENTLY"; fail=1
    fi
    for q in 0 5000 7000 10000; do
        "$V1AVI" encode $w $h $q 10 "$raw" "$name.$q.avi" "$name.$q.ours.bgr24" >/dev/null
        ff -i "$name.$q.avi" -fps_mode passthrough -f rawvideo -pix_fmt bgr24 "$name.$q.ffdec.bgr24"
        if cmp -s "$name.$q.ours.bgr24" "$name.$q.ffdec.bgr24"; then
            echo "$name q$q: our stream decodes identically in FFmpeg"
        else
            echo "$name q$q: our stream decodes DIFFERENTLY in FFmpeg"; fail=1
        fi
    done
    local frames keys
    frames=$(( $(stat -c %s "$raw") / (w * h * 3) ))
    keys=$(ffprobe -v error -select_streams v -show_entries packet=flags -of csv=p=0 \
           "$name.7000.avi" | grep -c K || true)
    if [ "$keys" -ne $(( (frames + 9) / 10 )) ]; then
        echo "$name: expected a key frame every 10 frames, ffprobe saw $keys"; fail=1
    fi
}
check card 320 240 src1.bgr24
check blend 160 120 src2.bgr24
check still 640 480 src3.bgr24
exit $fail
