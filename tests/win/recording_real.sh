#!/usr/bin/env bash
# Real recordings on the bench, checked with tools that are not ours: ffprobe for the
# stream, ffmpeg to decode the frames, ImageMagick's import for screenshots.
#   recording_real.sh HOST_EXE
# 1. A counter in large blocks changed every 40 ms, recorded at 320x240 for ~3 s: one
#    msvideo1 stream, 320x240, 25 fps; the counter readable in every frame and never
#    going backwards; PSNR of the last frame against a screenshot >= 30 dB; the
#    messages posted are exactly WM_USER_GENERIC_MSG.
# 2. Notepad's text area with the pointer over it: the cursor is in the frame at the
#    pointer although Notepad's cursor handle cannot be drawn in our process.
# 3. wide (run in a bench of its own, large enough): a still 1280x720 page recorded with
#    the arrow over it; the last frame against a screenshot >= 30 dB, the cursor in it.
#   recording_real.sh HOST_EXE [MODE...]     (default: counter notepad)
set -euo pipefail
host=$1
shift
modes=("$@")
[ $# -gt 0 ] || modes=(counter notepad)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -z "${KORVANE_BENCH_INSTANCE:-}" ]; then
    # shellcheck disable=SC1091
    . "$KORVANE_BENCH_DIR/default/env"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-recording.XXXXXX")
# KORVANE_KEEP_OUTPUT=1 keeps the movies and screenshots for a look by eye.
if [ "${KORVANE_KEEP_OUTPUT:-0}" = 1 ]; then echo "output in $work"; else trap 'rm -rf "$work"' EXIT; fi

run_case() { # mode
    local mode=$1 dir=$work/$1
    mkdir -p "$dir"
    wine "$host" "$mode" "$(winepath -w "$dir")" &
    local pid=$! i
    for i in $(seq 1 300); do
        [ -f "$dir/ready.txt" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    [ -f "$dir/ready.txt" ] || { wait $pid || true; echo "FAIL $mode: host never got ready"; return 1; }
    read -r x y w h _ <"$dir/ready.txt"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/shot.png"
    touch "$dir/shot.done"
    if ! wait $pid; then echo "FAIL $mode: host failed"; cat "$dir"/*.txt 2>/dev/null; return 1; fi
    ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate \
        -of compact=p=0 "$dir/recording.avi" >"$dir/probe.txt"
    ffmpeg -v error -i "$dir/recording.avi" -f rawvideo -pix_fmt rgb24 "$dir/frames.rgb"
    ffmpeg -v error -i "$dir/shot.png" -f rawvideo -pix_fmt rgb24 "$dir/shot.rgb"
    python3 "$here/recording_check.py" "$mode" "$dir"
}

fail=0
for mode in "${modes[@]}"; do
    run_case "$mode" || fail=1
done
exit $fail
