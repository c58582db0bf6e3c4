#!/usr/bin/env bash
# Runs every test: builds both builds, then the whole CTest suite (native tests, unit
# tests under Wine, end-to-end tests). Ends with CTest's summary; non-zero on failure.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD:-$repo/build}
KORVANE_BUILD=$build "$repo/tools/build.sh"
cd "$build"
exec ctest --output-on-failure -j2 "$@"
