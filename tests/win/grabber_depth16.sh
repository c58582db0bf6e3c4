#!/usr/bin/env bash
# The grabber tests on a 16-bit desktop of their own.
set -euo pipefail
exe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
exec "$tools/with-bench" --depth 16 --no-audio -- wine "$exe" --expect-depth 16
