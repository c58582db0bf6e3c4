#!/usr/bin/env bash
# One desktop of bench/recording/run.sh, inside its test bench: our recording benchmark
# (and the baseline's), then FFmpeg's x11grab on each area.
#   one_desktop.sh BUILD BASELINE|"" SECONDS FPS FOURCC AREA...
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$1 baseline=$2 seconds=$3 fps=$4 fourcc=$5
shift 5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run_build() {  # BUILD LABEL AREA...
    local dir=$1 label=$2
    shift 2
    for dll in kvmsvc.dll kvzmbv.dll; do
        DISPLAY= "$repo/tools/install-codec" --prefix "$WINEPREFIX" "$dir/dist/$dll" >/dev/null
    done
    echo "-- $label ($dir), load average $(cut -d' ' -f1-3 /proc/loadavg)"
    wine "$dir/bench/recording/recording_bench.exe" "$seconds" "$fps" "$fourcc" "$@" 2>/dev/null |
        tr -d '\r' || echo "(the benchmark failed)"
}
areas=("$@")
run_build "$build" ours "${areas[@]}"
[ -n "$baseline" ] && run_build "$baseline" base "${areas[@]}"

case $fourcc in
MSVC) codec=(-c:v msvideo1 -pix_fmt rgb555le) ;;
ZMBV) codec=(-c:v zmbv -pix_fmt bgr0) ;;
*) exit 0 ;;
esac
echo "-- FFmpeg x11grab ${codec[1]} at $fps fps, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-10s %8s %12s %12s\n" area frames delivered/s "cpu ms/s"
for area in "${areas[@]}"; do
    wine "$build/bench/recording/recording_bench.exe" paint "$area" $((seconds + 4)) \
        >/dev/null 2>&1 &
    painter=$!
    sleep 2
    /usr/bin/time -f "%U %S %e" -o "$work/time" \
        ffmpeg -nostdin -v error -y -f x11grab -framerate "$fps" -video_size "$area" \
        -i "$DISPLAY+0,0" -t "$seconds" "${codec[@]}" -fps_mode passthrough "$work/ff.avi"
    wait $painter || true
    frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets \
        -of csv=p=0 "$work/ff.avi")
    read -r user sys wall <"$work/time"
    awk -v a="$area" -v f="$frames" -v s="$seconds" -v u="$user" -v k="$sys" -v w="$wall" \
        'BEGIN { printf "%-10s %8d %12.1f %12.0f\n", a, f, f / s, 1000 * (u + k) / w }'
done
