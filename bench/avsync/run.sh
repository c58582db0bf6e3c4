#!/usr/bin/env bash
# A/V sync bench: a ~20 s recording with audio of a picture that flashes white at the
# moment a click is played into the null sink, merged, then measured from the decoded
# streams by analyze.py (exit 1 when a click and its flash are a frame or more apart).
# Runs in a private bench. Figures on Wine 8 are in analyze.py's header.
#   bench/avsync/run.sh [BUILD] [SECONDS]     (BUILD defaults to build)
# KORVANE_AVSYNC_FPS=30 records at 30 fps (default 25).
# KORVANE_KEEP_OUTPUT=1 keeps the work folder.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-20}
# The bench registers the codecs of the build it is given, and lives in that build.
export KORVANE_CODEC_DLL=${KORVANE_CODEC_DLL:-$build/dist/kvmsvc.dll}
export KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR:-$build/bench}
if [ "${INSIDE_BENCH:-0}" != 1 ]; then
    INSIDE_BENCH=1 exec "$root/tools/with-bench" -- bash "$0" "$build" "$seconds"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-avsync.XXXXXX")
if [ "${KORVANE_KEEP_OUTPUT:-0}" = 1 ]; then echo "output in $work"; else trap 'rm -rf "$work"' EXIT; fi
flag=$work/flash
wine "$build/bench/avsync/avsync_host.exe" $((seconds + 2)) "$(winepath -w "$flag")" "$(winepath -w "$work")" &
host=$!
sleep 1  # the recording has started: the clicks begin 1.5 s later
python3 "$here/drive.py" "$flag" "$seconds" >"$work/clicks.txt"
wait "$host" || { echo "FAIL host"; exit 1; }
echo "clicks played at (s after the driver started): $(awk '{print $2}' "$work/clicks.txt" | tr '\n' ' ')"
python3 "$here/analyze.py" "$work/merged.avi"
