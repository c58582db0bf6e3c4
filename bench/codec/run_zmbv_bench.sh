#!/bin/bash
# ZMBV benchmark: our encoder beside FFmpeg's ZMBV (its defaults), lossless x264 (RGB,
# qp 0, ultrafast) and our Video 1 at quality 7000, on the same raw frames with a key
# frame every 25, all one thread. Our files are decoded by FFmpeg and compared with the
# source. Prints bytes and milliseconds per frame (mean; ours also the median, and the
# median of the time passed beside the processor time), then the geometric means of our
# size and time against FFmpeg's ZMBV and our Video 1, over every sequence and over the
# screen ones (text, chrome). Ours is timed in processor time of the encoding thread,
# FFmpeg's in user time: on a loaded machine the time passed measures the load.
# With BASELINE=path/to/another/zmbvavi, that build encodes each sequence right after
# ours, so a change and what it replaces meet the same load; its bytes and times follow.
# Usage: [BASELINE=ZMBVAVI] run_zmbv_bench.sh ZMBVAVI V1AVI CORPUSDIR [KEYLEVEL INTERLEVEL]
set -euo pipefail
zmbvavi=$(readlink -f "$1") v1avi=$(readlink -f "$2")
corpus=$(cd "$3" && pwd)
levels=${4:+$4 $5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ff() { ffmpeg -nostdin -v error -y "$@"; }
utime() {  # ffmpeg args... -> user seconds
    ffmpeg -nostdin -y -benchmark -threads 1 "$@" 2>&1 | sed -n 's/^bench: utime=\([0-9.]*\)s.*/\1/p'
}
packets() { ffprobe -v error -select_streams v -show_entries packet=size -of csv=p=0 "$1" | awk '{s += $1} END {print s}'; }
base=${BASELINE:+$(readlink -f "$BASELINE")}
printf "%-20s %9s %9s %8s %8s %9s %8s %9s %8s %9s %8s%s\n" sequence ours ms median wallmed \
    ffzmbv ms x264 ms video1 ms "${base:+ $(printf "%9s %8s %8s" base ms median)}"
rows=$work/rows
for raw in "$corpus"/*.bgr24; do
    seq=$(basename "$raw" .bgr24)
    size=${seq##*_} w=${seq##*_} && w=${size%x*} h=${size#*x}
    frames=$(( $(stat -c %s "$raw") / (w * h * 3) ))
    # shellcheck disable=SC2086
    read -r _ _ _ ours _ _ _ wallmed _ ms _ median < <("$zmbvavi" encode "$w" "$h" bgr24 25 "$raw" "$work/o.avi" "$work/o.dec" $levels)
    bcols=""
    if [ -n "$base" ]; then
        read -r _ _ _ bb _ _ _ _ _ bms _ bmed < <("$base" encode "$w" "$h" bgr24 25 "$raw" "$work/b.avi")
        bcols=$(printf " %9s %8s %8s" "$bb" "$bms" "$bmed")
    fi
    ff -i "$work/o.avi" -f rawvideo -pix_fmt bgr24 "$work/o.ffdec"
    cmp -s "$work/o.ffdec" "$raw" || { echo "$seq: FFmpeg does NOT decode our file to the source"; exit 1; }
    in=(-f rawvideo -pix_fmt bgr24 -s "${w}x$h" -r 25 -i "$raw")
    t=$(utime "${in[@]}" -g 25 -c:v zmbv "$work/f.avi")
    ffb=$(( $(packets "$work/f.avi") / frames )) ffms=$(awk -v u="$t" -v n="$frames" 'BEGIN {printf "%.1f", 1000 * u / n}')
    t=$(utime "${in[@]}" -g 25 -c:v libx264rgb -qp 0 -preset ultrafast "$work/x.mkv")
    xb=$(( $(packets "$work/x.mkv") / frames )) xms=$(awk -v u="$t" -v n="$frames" 'BEGIN {printf "%.1f", 1000 * u / n}')
    read -r _ _ _ vb _ vms < <("$v1avi" encode "$w" "$h" 7000 25 "$raw" "$work/v.avi")
    printf "%-20s %9s %9s %8s %8s %9s %8s %9s %8s %9s %8s%s\n" "$seq" "$ours" "$ms" "$median" "$wallmed" \
        "$ffb" "$ffms" "$xb" "$xms" "$vb" "$vms" "$bcols" | tee -a "$rows"
done
echo "lossless: FFmpeg decodes every frame of ours to the source"
for set in all screen; do
    awk -v set=$set 'set == "all" || $1 ~ /^(text|chrome)_/ {
             lf += log($2 / $6); lv += log($2 / $10); tf += log($3 / $7); n++
             if (NF > 11) { bf += log($12 / $6); bt += log($13 / $7); hb = 1 } }
         END { printf "geometric means (%s): size %.2fx FFmpeg ZMBV, %.2fx Video 1 q7000; time %.3fx FFmpeg ZMBV", set,
               exp(lf / n), exp(lv / n), exp(tf / n)
               if (hb) printf "; baseline size %.2fx, time %.3fx", exp(bf / n), exp(bt / n)
               printf "\n" }' "$rows"
done
