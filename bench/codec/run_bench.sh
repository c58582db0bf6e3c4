#!/bin/bash
# Codec benchmark: our encoder at several qualities against FFmpeg's msvideo1 encoder on
# the same raw frames. Both outputs are decoded by FFmpeg to bgr24 and measured against
# the source. Prints bytes per frame, PSNR (mean and worst frame) and encode time per
# frame (single thread), then each sequence's size ratio at FFmpeg's PSNR.
# Usage: run_bench.sh V1AVI CORPUSDIR [QUALITY...]
set -euo pipefail
v1avi=$(readlink -f "$1")
corpus=$(cd "$2" && pwd)
shift 2
qualities=${*:-0 1000 2000 3000 4000 5500 7000 8500 10000}
keyEvery=12  # FFmpeg's default group of pictures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ff() { ffmpeg -nostdin -v error -y "$@"; }
results=$work/results.txt
printf "%-22s %-8s %6s %10s %7s %7s %9s\n" sequence encoder q bytes/frm psnr worst ms/frame
for raw in "$corpus"/*.bgr24; do
    seq=$(basename "$raw" .bgr24)
    size=${seq##*_}
    w=${size%x*} h=${size#*x}
    frames=$(( $(stat -c %s "$raw") / (w * h * 3) ))
    for q in $qualities; do
        stats=$("$v1avi" encode "$w" "$h" "$q" $keyEvery "$raw" "$work/ours.avi")
        ff -i "$work/ours.avi" -f rawvideo -pix_fmt bgr24 "$work/dec.bgr24"
        read -r _ psnr _ worst < <("$v1avi" psnr "$w" "$h" "$raw" "$work/dec.bgr24")
        bytes=$(echo "$stats" | awk '{print $4}')
        ms=$(echo "$stats" | awk '{print $6}')
        printf "%-22s %-8s %6s %10s %7s %7s %9s\n" "$seq" ours "$q" "$bytes" "$psnr" "$worst" "$ms" | tee -a "$results"
    done
    utime=$(ffmpeg -nostdin -y -benchmark -threads 1 \
        -f rawvideo -pix_fmt bgr24 -s "${w}x$h" -r 25 -i "$raw" -g $keyEvery -c:v msvideo1 \
        "$work/ff.avi" 2>&1 | sed -n 's/^bench: utime=\([0-9.]*\)s.*/\1/p')
    ff -i "$work/ff.avi" -f rawvideo -pix_fmt bgr24 "$work/dec.bgr24"
    read -r _ psnr _ worst < <("$v1avi" psnr "$w" "$h" "$raw" "$work/dec.bgr24")
    movi=$(ffprobe -v error -select_streams v -show_entries packet=size -of csv=p=0 "$work/ff.avi" |
           awk '{s += $1} END {print s}')
    bytes=$(( movi / frames ))
    ms=$(awk -v u="$utime" -v n="$frames" 'BEGIN {printf "%.3f", 1000 * u / n}')
    printf "%-22s %-8s %6s %10s %7s %7s %9s\n" "$seq" ffmpeg - "$bytes" "$psnr" "$worst" "$ms" | tee -a "$results"
done
echo
python3 - "$results" <<'PY'
import math, sys
rows = [l.split() for l in open(sys.argv[1])]
seqs = []
for r in rows:
    if r[0] not in seqs:
        seqs.append(r[0])
print("%-22s %14s %12s" % ("sequence", "size vs ffmpeg", "time vs ffmpeg"))
for s in seqs:
    ours = sorted((float(r[4]), float(r[3]), float(r[6])) for r in rows if r[0] == s and r[1] == "ours")
    ff = [(float(r[4]), float(r[3]), float(r[6])) for r in rows if r[0] == s and r[1] == "ffmpeg"][0]
    target = ff[0]
    ratio = "n/a"
    for (p0, b0, _), (p1, b1, _) in zip(ours, ours[1:]):
        if p0 <= target <= p1 and p1 > p0:  # interpolate log(bytes) over PSNR
            lb = math.log(b0) + (math.log(b1) - math.log(b0)) * (target - p0) / (p1 - p0)
            ratio = "%.2f" % (math.exp(lb) / ff[1])
    if ratio == "n/a" and ours and ours[0][0] >= target:
        # Our coarsest setting already looks better than FFmpeg: bound the ratio by it.
        best = min(o[1] for o in ours if o[0] >= target)
        ratio = "<=%.2f" % (best / ff[1])
    elif ratio == "n/a" and ours and ours[-1][0] < target:
        ratio = "unreached"
    # Time at the default quality 7000 when measured, else the mean over the qualities.
    t = [float(r[6]) for r in rows if r[0] == s and r[1] == "ours" and r[2] == "7000"]
    t = t[0] if t else sum(o[2] for o in ours) / len(ours)
    print("%-22s %14s %12.2f" % (s, ratio, t / ff[2]))
PY
