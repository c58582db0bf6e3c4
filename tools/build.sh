#!/usr/bin/env bash
# Builds the x64 Windows build into ${KORVANE_BUILD:-build}; it also builds the native
# build (build/native) and the 32-bit Windows build (build/win32).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD:-$repo/build}
toolchain=$repo/cmake/mingw-x86_64.cmake
"$repo/tools/deps.sh"
# A build folder configured for another toolchain (the 32-bit one, before x64 became
# the primary build) is configured afresh.
if [ -f "$build/CMakeCache.txt" ] &&
   ! grep -qx "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain" "$build/CMakeCache.txt"; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
