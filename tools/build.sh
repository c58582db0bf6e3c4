#!/usr/bin/env bash
# Builds the Windows build (which also builds the native one) into ${KORVANE_BUILD:-build}.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD:-$repo/build}
"$repo/tools/deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
