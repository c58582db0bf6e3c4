#!/usr/bin/env bash
# Starts the recorder. Builds it and prepares Wine as needed.
#  - With $DISPLAY set: korvane.exe runs under Wine on that display, in the prefix
#    ${KORVANE_PREFIX:-build/run/prefix} with our Video 1 codec installed.
#  - Without a display: a private X server and Wine desktop come up, a short scripted
#    demo runs, and the folder with what it made is printed.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD:-$repo/build}
KORVANE_BUILD=$build "$repo/tools/build.sh" >"${TMPDIR:-/tmp}/korvane-build.log" 2>&1 || {
    tail -n 40 "${TMPDIR:-/tmp}/korvane-build.log" >&2
    echo "run: the build failed (full log: ${TMPDIR:-/tmp}/korvane-build.log)" >&2
    exit 1
}
dist=$build/dist

if [ -n "${DISPLAY:-}" ]; then
    # The x64 build in a 64-bit prefix, with Wine's 64-bit loader named (tools/winebin).
    export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX=${KORVANE_PREFIX:-$build/run/prefix64}
    export PATH=$repo/tools/winebin:$PATH
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "run: preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        # Without the display: a 64-bit wineboot -i may hang with one.
        DISPLAY= wineboot -i >/dev/null 2>&1
    fi
    "$repo/tools/install-codec" --prefix "$WINEPREFIX" "$dist/kvmsvc.dll" >/dev/null
    cd "$dist"
    exec wine "$dist/korvane.exe"
fi

out=${KORVANE_DEMO_OUT:-$repo/out/demo-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
export KORVANE_BENCH_DIR=$build/bench KORVANE_CODEC_DLL=$dist/kvmsvc.dll
KORVANE_DIST=$dist "$repo/tools/with-bench" -- bash "$repo/tools/demo.sh" "$out"
echo "run: the demo's output is in $out"
