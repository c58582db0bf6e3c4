#!/usr/bin/env bash
# Runs the recording benchmark on a private 1920x1080 bench with the codec installed.
#   bench/recording/run.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
seconds=${2:-20}
export KORVANE_CODEC_DLL=${KORVANE_CODEC_DLL:-$build/dist/kvmsvc.dll}
export KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR:-$build/bench}
exec "$repo/tools/with-bench" --size 1920x1080 --no-audio -- \
    wine "$build/bench/recording/recording_bench.exe" "$seconds"
