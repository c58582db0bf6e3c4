#!/usr/bin/env bash
# Runs every test: builds both builds, then the whole CTest suite (native tests, unit
# tests under Wine, end-to-end tests). Ends with CTest's summary; non-zero on failure.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KORVANE_BUILD:-$repo/build}
KORVANE_BUILD=$build "$repo/tools/build.sh"
cd "$build"
status=0
ctest --output-on-failure -j2 "$@" || status=$?
# A skipped test says why in its output, which CTest shows only for failures.
grep -h "^win32.suite skipped:" Testing/Temporary/LastTest.log 2>/dev/null || true
exit $status
