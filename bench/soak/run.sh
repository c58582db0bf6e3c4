#!/usr/bin/env bash
# Soak bench: SECONDS (default an hour) of recording a changing 640x480 area with audio
# (a click every 2 s, the picture flashing white when it is heard, as for the A/V bench),
# printing the host's figures every minute, then measuring the A/V offset of the merged
# movie over its first, middle and last minute with the A/V bench's analyze.py.
#   bench/soak/run.sh [BUILD] [SECONDS]
# KORVANE_KEEP_OUTPUT=1 keeps the work folder (the merged movie is about 1 GB an hour).
# KORVANE_SOAK_AREA=WxH and KORVANE_SOAK_FPS=N record another area and rate; the bench's
# desktop is made big enough for the area.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-3600}
# The bench registers the codecs of the build it is given, and lives in that build.
export KORVANE_CODEC_DLL=${KORVANE_CODEC_DLL:-$build/dist/kvmsvc.dll}
export KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR:-$build/bench}
if [ "${INSIDE_BENCH:-0}" != 1 ]; then
    area=${KORVANE_SOAK_AREA:-640x480}
    size=1024x768
    if [ "${area%x*}" -gt 1024 ] || [ "${area#*x}" -gt 768 ]; then size=$area; fi
    INSIDE_BENCH=1 exec "$root/tools/with-bench" --size "$size" -- bash "$0" "$build" "$seconds"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-soak.XXXXXX")
if [ "${KORVANE_KEEP_OUTPUT:-0}" = 1 ]; then echo "output in $work"; else trap 'rm -rf "$work"' EXIT; fi
flag=$work/flash
wine "$build/bench/soak/soak_host.exe" $((seconds + 2)) "$(winepath -w "$flag")" "$(winepath -w "$work")" &
host=$!
sleep 1
python3 "$root/bench/avsync/drive.py" "$flag" "$seconds" >"$work/clicks.txt"
wait "$host" || { echo "FAIL host"; exit 1; }
echo "clicks heard: $(wc -l <"$work/clicks.txt")"
status=0
last=$((seconds > 60 ? seconds - 60 : 0))
for start in 0 $((last / 2)) "$last"; do
    echo "== A/V from ${start} s, 60 s"
    python3 "$root/bench/avsync/analyze.py" "$work/merged.avi" "$start" 60 | tail -2 || status=1
done
exit $status
