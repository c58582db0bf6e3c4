#!/usr/bin/env bash
# Runs the recording benchmark on private 1920x1080 and 2560x1440 benches with the codecs
# installed, then FFmpeg's x11grab recording the same areas of the same display at the
# same rate (Video 1 as msvideo1, the lossless codec as zmbv) while the benchmark only
# paints. With BASELINE=OTHER_BUILD the other build's benchmark and codecs run right after
# ours in the same bench (columns "base"), so both meet the same load.
#   bench/recording/run.sh [BUILD_DIR] [SECONDS] [FPS] [FOURCC] [AREA...]
#   DESKTOPS="1920x1080 2560x1440" (default)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
seconds=${2:-20}
fps=${3:-25}
fourcc=${4:-MSVC}
shift $(($# < 4 ? $# : 4))
areas=${*:-1280x720 1920x1080}
baseline=${BASELINE:+$(cd "$BASELINE" && pwd)}
export KORVANE_CODEC_DLL=${KORVANE_CODEC_DLL:-$build/dist/kvmsvc.dll}
export KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR:-$build/bench}
for desktop in ${DESKTOPS:-1920x1080 2560x1440}; do
    echo "== desktop $desktop, load average $(cut -d' ' -f1-3 /proc/loadavg)"
    "$repo/tools/with-bench" --size "$desktop" --no-audio -- \
        bash "$here/one_desktop.sh" "$build" "$baseline" "$seconds" "$fps" "$fourcc" $areas
done
