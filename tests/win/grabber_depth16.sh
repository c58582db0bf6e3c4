#!/usr/bin/env bash
# On a 16-bit desktop of its own: the grabber tests (frames of the desktop's depth),
# then the recording tests (Video 1 from 16-bit frames).
#   grabber_depth16.sh GRABBER_TESTS_EXE RECORDING_TESTS_EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
exec "$tools/with-bench" --depth 16 --no-audio -- \
    bash -c 'wine "$1" --expect-depth 16 && wine "$2"' depth16 "$1" "$2"
