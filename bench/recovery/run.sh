#!/usr/bin/env bash
# The kill test, repeated: records with a tone, kills the recorder at a random moment
# (14 to 24 s), recovers and saves, N times (default 20) on one private test bench, and
# prints each run's figures and how many recovered.
#   bench/recovery/run.sh [BUILD_DIR] [N]
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
runs=${2:-20}
name=recovery$$
benches=$(mktemp -d)
trap '"$repo/tools/testbench" stop "$name" >/dev/null 2>&1; rm -rf "$benches"' EXIT
trap 'exit 130' INT TERM
env_file=$("$repo/tools/testbench" start "$name") || exit 1
# The test script joins a bench it finds as "default" in KORVANE_BENCH_DIR.
mkdir -p "$benches/default" && ln -s "$env_file" "$benches/default/env"
export KORVANE_BENCH_DIR=$benches KORVANE_BUILD=$build KORVANE_DIST=$build/dist \
    KORVANE_SOURCE=$repo
passed=0
for i in $(seq "$runs"); do
    out=$(bash "$repo/tests/e2e/recovery_e2e.sh" 2>&1)
    status=$?
    figures=$(grep '^figures:' <<<"$out" | sed 's/^figures: //')
    if [ $status -eq 0 ]; then
        passed=$((passed + 1))
        echo "run $i: recovered: $figures"
    else
        echo "run $i: FAILED: $figures"
        grep '^FAIL' <<<"$out" | sed 's/^/    /'
    fi
done
echo "recovered $passed of $runs"
[ "$passed" -eq "$runs" ]
