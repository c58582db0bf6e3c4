# The frame of the recorder's end-to-end scripts; sourced, never run.
#   . e2e_common.sh NAME
# Stays in the bench it was started in (tools/with-bench), else joins the shared bench
# when CTest has one up (it then holds the desktop for the script), else starts a
# private one; makes the work folder $work with wininfo.exe in it
# and gives: pids (background programs killed at the exit), on_exit (a command run
# first at the exit), fail, info (wininfo.exe), control (dialog_control.exe), click,
# record_area and save_as (the steps of a recording as a user takes them),
# wait_until and answer (e2e_wait.sh), and finish (PASS or the failure count as the exit
# code; the work folder is kept when something failed).
# Env: KORVANE_BUILD, KORVANE_DIST, KORVANE_SOURCE, KORVANE_BENCH_DIR (set by CTest).
set -uo pipefail
: "${KORVANE_BUILD:?}" "${KORVANE_DIST:?}" "${KORVANE_SOURCE:?}"
# shellcheck disable=SC1091
. "$KORVANE_SOURCE/tests/e2e/e2e_wait.sh"
tools=$KORVANE_SOURCE/tools
pids=()
on_exit=:
e2e_cleanup() {
    local pid
    eval "$on_exit"
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -n "${bench:-}" ] && "$tools/testbench" stop "$bench" >/dev/null 2>&1
}
trap e2e_cleanup EXIT INT TERM
if [ -n "${KORVANE_BENCH_INSTANCE:-}" ]; then
    : # already inside a bench of its own (tools/with-bench)
elif [ -f "${KORVANE_BENCH_DIR:-}/default/env" ]; then
    # shellcheck disable=SC1090,SC1091
    . "$KORVANE_BENCH_DIR/default/env"
else
    bench=e2e$1$$
    # shellcheck disable=SC1090
    . "$("$tools/testbench" start "$bench")"
fi

# The recorder remembers its options per user: every script starts from a first start.
wine reg delete 'HKCU\Software\Korvane' /f >/dev/null 2>&1 || true

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-$1-e2e.XXXXXX")
cp "$KORVANE_BUILD/tests/e2e/wininfo.exe" "$KORVANE_BUILD/tests/e2e/dialog_control.exe" "$work/"
MAIN="Korvane by Quillory"
# The recorder's scratch folder, the user's own; the Windows temp folder is still
# looked in for interrupted recordings.
scratch=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Korvane/Scratch
legacy_scratch=$WINEPREFIX/drive_c/windows/temp
mkdir -p "$scratch"
# Descriptions left by programs killed in earlier tests would be offered at the start.
rm -f "$scratch"/*.krec "$legacy_scratch"/*.krec
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
info() { wine "$work/wininfo.exe" "$@" 2>/dev/null | tr -d '\r'; }
control() { wine "$work/dialog_control.exe" "$@" 2>/dev/null | tr -d '\r'; }
# Clicks the middle of control ID of the window TITLE.
click() { # title, id
    local l t r b
    read -r l t r b < <(control rect "$1" "$2") || { fail "control $2 of '$1' not found"; return 1; }
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 0.3
}
# F7 and a drag over W x H pixels from (X, Y); the pointer then rests at (300, 700),
# outside the area.
record_area() { # x, y, w, h
    local x=$1 y=$2 w=$3 h=$4
    xdotool mousemove 300 700 key F7
    info wait Title 3000 || fail "F7 did not show the selection window"
    xdotool mousemove "$x" "$y" mousedown 1
    sleep 0.2
    xdotool mousemove $((x + w / 2)) $((y + h / 2)); sleep 0.1
    xdotool mousemove $((x + w - 1)) $((y + h - 1)); sleep 0.2
    xdotool mouseup 1
    xdotool mousemove 300 700
    info gone Title 3000 || fail "the selection window stayed after the drag"
}
# F8, then the name typed into "Save to..."; the player must show the saved movie.
save_as() { # windows path
    xdotool key F8
    if info wait "Save to..." 60000; then
        sleep 1
        xdotool key ctrl+a
        xdotool type --delay 30 "$1"
        xdotool key Return
        info wait Player 30000 || fail "no Player window after the save"
    else
        fail "no \"Save to...\" dialog after F8"
    fi
}
finish() {
    if [ "$failures" -eq 0 ]; then
        echo "PASS"
        rm -rf "$work"
        exit 0
    fi
    echo "$failures failure(s); files kept in $work"
    exit 1
}
