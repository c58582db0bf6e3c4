# The frame of the recorder's end-to-end scripts; sourced, never run.
#   . e2e_common.sh NAME
# Stays in the bench it was started in (tools/with-bench), else joins the shared bench
# when CTest has one up (it then holds the desktop for the script), else starts a
# private one; makes the work folder $work with wininfo.exe in it
# and gives: pids (background programs killed at the exit), on_exit (a command run
# first at the exit), fail, info (wininfo.exe), control (dialog_control.exe), the steps
# a user takes (start the recorder, record an area, stop and save, the player, the
# options dialog), probes of what was saved, wait_until and answer (e2e_wait.sh), and
# finish (PASS or the failure count as the exit code; the work folder is kept when
# something failed).
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
# The Unix path of a Windows path on drive C:.
unix_path() { local p=${1#[Cc]:\\}; echo "$WINEPREFIX/drive_c/${p//\\//}"; }
# The recorder's scratch folder, the user's own (or KORVANE_E2E_SCRATCH, a Windows path
# on C:, handed to every recorder started); the Windows temp folder is still looked in
# for interrupted recordings.
scratch=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Korvane/Scratch
if [ -n "${KORVANE_E2E_SCRATCH:-}" ]; then
    scratch=$(unix_path "$KORVANE_E2E_SCRATCH")
    export KORVANE_SCRATCH_FOLDER=$KORVANE_E2E_SCRATCH
fi
# KORVANE_E2E_FROM, a Windows path on C:: the programs are copied there and the recorder
# is started from that folder (its skin and its player found beside it).
programs=$KORVANE_DIST
if [ -n "${KORVANE_E2E_FROM:-}" ]; then
    programs=$(unix_path "$KORVANE_E2E_FROM")
    mkdir -p "$programs" && cp -r "$KORVANE_DIST"/. "$programs/"
fi
legacy_scratch=$WINEPREFIX/drive_c/windows/temp
mkdir -p "$scratch"
# Descriptions left by programs killed in earlier tests would be offered at the start.
rm -f "$scratch"/*.krec "$legacy_scratch"/*.krec
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
info() { wine "$work/wininfo.exe" "$@" 2>/dev/null | tr -d '\r'; }
control() { wine "$work/dialog_control.exe" "$@" 2>/dev/null | tr -d '\r'; }
# ---- windows and controls
# Clicks control ID of the window TITLE, at its middle or DX pixels from its left edge.
click() { # title, id, [dx]
    local l t r b
    read -r l t r b < <(control rect "$1" "$2") || { fail "control $2 of '$1' not found"; return 1; }
    local x=$(((l + r) / 2)) y=$(((t + b) / 2)) ox oy
    [ -n "${3:-}" ] && x=$((l + $3))
    # Windows' 0,0 lies elsewhere on the X screen when a monitor is left of the primary.
    read -r ox oy <<<"${KORVANE_BENCH_ORIGIN:-0 0}"
    xdotool mousemove $((x + ox)) $((y + oy)) click 1
    sleep 0.3
}
# Keys reach the recorder's hook only while a Wine window has the focus: a window that
# has just appeared, or the one left after another closed, may not have it yet.
# Without a Wine virtual desktop no window manager gives X's focus to the window in
# front: keys go to the window under the pointer, so the pointer goes onto it.
focus() {
    info front "$1" 10000 || fail "$1 did not come to the front"
    if [ "${KORVANE_BENCH_DESKTOP:-1}" = 0 ]; then
        local l t r b ox oy
        IFS=, read -r l t r b < <(info list | awk -F'\t' -v w="$1" '$1==w || $3==w {print $4; exit}')
        read -r ox oy <<<"${KORVANE_BENCH_ORIGIN:-0 0}"
        [ -n "$b" ] && xdotool mousemove $(((l + r) / 2 + ox)) $(((t + b) / 2 + oy))
    fi
    sleep 0.3
}
# The handle of the main window: a recording, a pause and a merge change its caption.
main_handle() { info list | awk -F'\t' -v t="$MAIN" '$3==t{print $1; exit}'; }
# The enabled flags of Record, Pause and Stop, e.g. "1 0 0".
buttons() { info controls "$main" | awk -F'\t' '$1==1000||$1==1001||$1==1002{printf "%s%s", s, $2; s=" "}'; }
expect_buttons() { # wanted, what
    local got=""
    for _ in $(seq 1 30); do got=$(buttons); [ "$got" = "$1" ] && return 0; sleep 0.1; done
    fail "$2: buttons Record/Pause/Stop are '$got', wanted '$1'"
}
OPTIONS="Recording Options"
# The button is clicked again when the dialog did not come: the click can land on a
# window that was still in front of the main one (the player closing, a pattern).
open_options() {
    local _try
    for _try in 1 2 3; do
        focus "$main"
        click "$main" 1003
        info wait "$OPTIONS" 5000 && { sleep 0.5; return 0; }
        echo "Options did not open the dialog; clicked again"
    done
    fail "Options did not open the dialog"
    return 1
}

# ---- the recorder
korvane_pid= main=
recorder_log=$work/korvane.log
# Starts korvane.exe (from DIR, else the build's or KORVANE_E2E_FROM) in the background,
# with VAR=VALUE... in its environment.
launch_recorder() { # [--from DIR] [VAR=VALUE...]
    local dir=$programs
    [ "${1:-}" = --from ] && { dir=$2; shift 2; }
    (cd "$dir" && exec env "$@" wine korvane.exe >>"$recorder_log" 2>&1) &
    korvane_pid=$!
    pids+=($korvane_pid)
}
# What the recorder shows, for a failure that needs explaining: its windows, the Record,
# Pause and Stop buttons, its status lines and the end of its log.
recorder_state() {
    info list | sed 's/^/    window: /'
    echo "    buttons: $(buttons)"
    info texts "$main" | sed 's/^/    text: /'
    tail -n 20 "$recorder_log" 2>/dev/null | sed 's/^/    log: /'
}
# The Linux processes that run this bench's korvane.exe (other benches may run theirs).
recorder_pids() {
    local pid
    for pid in $(pgrep -f 'korvane\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            echo "$pid"
    done
}
# Where each of the recorder's threads is, for a recorder that stopped answering or never
# got on: Wine's debugger attaches to it and walks every thread's stack.
recorder_threads() {
    local pid
    pid=$(winedbg --command "info process" 2>/dev/null | tr -d '\r' |
        awk '/korvane\.exe/ {print $1; exit}')
    [ -n "$pid" ] || { echo "    threads: no korvane.exe process"; return 0; }
    timeout 90 winedbg --command "bt all" "0x$pid" 2>/dev/null | tr -d '\r' |
        awk '/^Backtracing for thread/ {keep = /korvane\.exe/} keep' |
        cut -c1-200 | sed 's/^/    thread: /'
    # Wine's debugger cannot walk a thread that waits in Unix code; gdb can.
    local linux_pid
    for linux_pid in $(recorder_pids); do
        timeout 90 gdb -p "$linux_pid" -batch -ex "thread apply all bt 16" 2>/dev/null |
            grep -E '^(Thread|#)' | cut -c1-200 | sed 's/^/    native: /'
    done
}
now() { date +%s.%N; }
# Kills this bench's recorder as a crash or a power cut would: no chance for it to finish
# anything. The moment of the kill is $killed: on a busy machine the processes may take
# long to go. Fails if they stay.
kill_recorder() {
    local pid
    for pid in $(recorder_pids); do kill -9 "$pid" 2>/dev/null; done
    killed=$(now)
    for _ in $(seq 100); do [ -z "$(recorder_pids)" ] && return 0; sleep 0.1; done
    return 1
}
# Kills a recorder that is stuck and removes the scratch files it made since the file
# MARKER, so that a new recorder starts clean (nothing to offer for recovery).
discard_stuck_recorder() { # marker
    kill_recorder || { fail "the recorder outlived kill -9"; finish; }
    find "$scratch" -maxdepth 1 -newer "$1" -type f -delete
}
# Whether the stacks recorder_threads printed (on standard input) are those of Wine's X
# library stuck in itself: a recording's screen copy (XGetImage) and the window thread's
# first cursor (XFixesSetCursorName), on one X connection, each waiting for the other.
# Seen now and then at the start of a recording on these benches; Windows has no such lock.
wedged_in_libx11() {
    local stacks
    stacks=$(cat)
    grep -q XGetImage <<<"$stacks" && grep -q XFixesSetCursorName <<<"$stacks"
}
# launch_recorder, then waits for the main window and keeps its handle in $main.
start_recorder() { # [--from DIR] [VAR=VALUE...]
    local from=
    [ "${1:-}" = --from ] && from=" from $2"
    launch_recorder "$@"
    info wait "$MAIN" 60000 || { fail "main window did not appear$from"; return 1; }
    main=$(main_handle)
    sleep 0.5
}
# OK of the options dialog, and the dialog gone.
confirm_options() {
    click "$OPTIONS" 1
    info gone "$OPTIONS" 5000 || fail "OK did not close the options dialog"
}
# The text of control ID of the window TITLE is WANTED within a few seconds.
expect_text() { # title, id, wanted, what
    local got=""
    for _ in $(seq 1 20); do got=$(control text "$1" "$2"); [ "$got" = "$3" ] && return 0; sleep 0.1; done
    fail "$4: control $2 shows '$got', wanted '$3'"
}
# dpi_pattern.exe (distinct 8x8 blocks over every monitor) started from the work folder.
start_pattern() { # dpi_pattern.exe
    cp "$1" "$work/"
    (cd "$work" && exec wine dpi_pattern.exe >"$work/pattern.log" 2>&1) &
    pids+=($!)
    info wait Pattern 20000 || { fail "the pattern did not appear"; return 1; }
}
recording_runs() { [ "$(buttons)" = "0 1 1" ]; }
# F7 with the pointer where it is, in a mode that records without a selection: the
# recording has started when Record is disabled and Pause and Stop are enabled. Pressed
# again only when the recorder is still idle after 10 s (a second F7 while recording
# would pause it). $work/mark is as old as the recording.
record_without_selection() {
    local _try
    touch "$work/mark"
    for _try in 1 2; do
        xdotool key F7
        wait_until 10000 recording_runs && return 0
        [ "$(buttons)" = "1 0 0" ] || break
        echo "F7 had not started a recording after 10 s; pressed again"
    done
    fail "F7 did not start a recording (buttons '$(buttons)')"
    return 1
}
# A press, a move half way and a release from (X1, Y1) to (X2, Y2); the pointer then
# rests at (300, 700), outside every area the scripts record.
drag() { # from x y, to x y
    xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)); sleep 0.1
    xdotool mousemove "$3" "$4"; sleep 0.2
    xdotool mouseup 1; xdotool mousemove 300 700
}
# F7 and a drag from (X1, Y1) to (X2, Y2): the recording starts at the release.
# $work/mark is as old as the recording, for find -newer.
record_area() { # from x y, to x y
    touch "$work/mark"
    focus "$main"
    xdotool mousemove 300 700 key F7
    if ! info wait Title 5000; then
        # A second F7 during the selection does nothing, so one that came late is harmless.
        focus "$main"
        xdotool key F7
        info wait Title 10000 || { fail "F7 did not show the selection window"; return 1; }
    fi
    sleep 0.3
    drag "$@"
    info gone Title 20000 || fail "the selection window stayed after the drag"
}
# F8 alone: bringing the main window to the front could put it into the recorded area.
# A key the hook did not get in time (a loaded machine) is pressed again: a late second F8
# finds the recording stopped or finishing, and does nothing.
stop_recording() {
    local _try _
    for _try in 1 2 3; do
        xdotool key F8
        for _ in $(seq 50); do
            [ "$(buttons | cut -d' ' -f3)" = 1 ] || return 0
            sleep 0.2
        done
        echo "F8 had not stopped the recording after 10 s; pressed again"
    done
    fail "F8 did not stop the recording"
    recorder_state
    recorder_threads
}
await_save_dialog() { # [ms]
    info wait "Save to..." "${1:-60000}" || { fail "no \"Save to...\" dialog"; return 1; }
    sleep 1
}
# The name typed into "Save to..." and Enter. A name outside ASCII, which xdotool cannot
# type into Wine reliably, is set into the file name box instead. On a busy machine a
# typed key can be lost: the box is read back and the name typed again until it is all
# there.
SAVE_NAME_BOX=1148
type_save() { # windows path
    local _try got
    focus "Save to..."
    if printf '%s' "$1" | LC_ALL=C grep -q '[^ -~]'; then
        control settext "Save to..." $SAVE_NAME_BOX "$1" || fail "could not set the name $1"
    else
        for _try in 1 2 3; do
            xdotool key ctrl+a
            xdotool type --delay 30 "$1"
            got=$(control text "Save to..." $SAVE_NAME_BOX | head -n 1)
            [ "$got" = "$1" ] && break
            echo "the name box says '$got', not '$1': typed again"
            focus "Save to..."
        done
    fi
    xdotool key Return
}
await_player() { # [ms]
    info wait Player "${1:-60000}" || fail "no Player window after the save"
}
# F8, the name typed into "Save to...", and the player that shows the saved movie.
stop_and_save() { # windows path
    stop_recording
    await_save_dialog || return 1
    type_save "$1"
    await_player
}
# The player opened its movie: the frame is sized to it, wider than the empty frame's 180
# pixels (a file it could not open leaves it at that).
player_shows_movie() {
    info list | awk -F'\t' '$3=="Player"{split($4, r, ","); if (r[3] - r[1] > 200) ok=1} END{exit !ok}'
}
expect_movie_played() { # what
    wait_until 30000 player_shows_movie || fail "the player did not open $1"
}
close_player() { info close Player || true; info gone Player 5000 || true; }

# ---- what was recorded and saved
# A tone of 440 Hz played into the null sink, so into the recorder's microphone.
play_tone() { # seconds
    sox -q -n -t pulseaudio nullsink synth "$1" sine 440 vol 0.5 &
    pids+=($!)
}
# The stream's ENTRIES as ffprobe reads them, comma-separated: probe F v:0 width,height.
probe() { # file, stream, entries
    ffprobe -v error -select_streams "$2" -show_entries stream="$3" -of csv=p=0 "$1"
}
# The video packets of FILE, 0 when there are none.
frames() {
    local n
    n=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$1" 2>/dev/null)
    echo "${n:-0}"
}
# The sound of FILE decoded (a compressed stream states no length) into WAV as mono
# 22.05 kHz; prints its seconds.
decode_sound() { # file, wav
    rm -f "$2"
    ffmpeg -v error -i "$1" -vn -ac 1 -ar 22050 "$2" 2>/dev/null && soxi -D "$2" 2>/dev/null
}
# The RMS level of the tone's band in WAV, after the sox effects given (trim 0.3 1.2).
tone_rms() { # wav, [effect...]
    sox "$1" -n "${@:2}" sinc 400-480 stat 2>&1 | awk '/RMS +amplitude/{print $3}'
}
has_tone() { awk -v r="${1:-0}" 'BEGIN{exit !(r > 0.05)}'; }
# The PSNR in dB of one frame of MOVIE (decoded after the ffmpeg seek arguments given, as
# -sseof -0.5), or of the part --crop W:H:X:Y of it, against the picture PNG of the same
# size; 0 when the sizes differ.
frame_psnr() { # movie, png, [--crop W:H:X:Y], seek...
    local movie=$1 png=$2 filter=()
    shift 2
    [ "${1:-}" = --crop ] && { filter=(-vf "crop=$2"); shift 2; }
    ffmpeg -v error -i "$png" -f rawvideo -pix_fmt rgb24 -y "$work/psnr_shot.rgb"
    ffmpeg -v error "$@" -i "$movie" "${filter[@]}" -frames:v 1 -f rawvideo -pix_fmt rgb24 -y "$work/psnr_frame.rgb"
    python3 - "$work/psnr_frame.rgb" "$work/psnr_shot.rgb" <<'PY'
import math, sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
if len(a) != len(b) or not a:
    print(0)
else:
    mse = sum((p - q) ** 2 for p, q in zip(a, b)) / len(a)
    print(99 if mse == 0 else round(10 * math.log10(255 * 255 / mse), 1))
PY
}
# Stops, saves as C:\users\Public\NAME.avi and judges the movie: W x H, its last frame
# (the part CROP of it when given) at 30 dB or more against the screenshot PNG, the
# figure left in $judged_db.
save_and_judge() { # name, width, height, png, [crop]
    local saved="$WINEPREFIX/drive_c/users/Public/$1.avi" v crop=()
    judged_db=
    stop_and_save "C:\\users\\Public\\$1.avi" || import -window root "$work/$1-screen.png"
    close_player
    [ -f "$saved" ] || { fail "$1: nothing saved"; return 1; }
    cp "$saved" "$work/"
    v=$(probe "$saved" v:0 width,height)
    [ "$v" = "$2,$3" ] || fail "$1: the movie is $v, wanted $2,$3"
    [ -n "${5:-}" ] && crop=(--crop "$5")
    judged_db=$(frame_psnr "$saved" "$4" "${crop[@]}" -sseof -0.5)
    at_least "$judged_db" 30 ||
        fail "$1: last frame against the screenshot: PSNR $judged_db dB, wanted 30 or more"
}
# A screenshot PNG of an area (X screen coordinates) that shows dpi_pattern.exe's blocks,
# false while it does not: without a virtual desktop the pattern repaints what the
# selection window covered only when Wine gets to it.
shows_pattern() { # x, y, width, height, png
    import -window root -crop "${3}x${4}+${1}+${2}" +repage "$5" &&
        ffmpeg -v error -i "$5" -f rawvideo -pix_fmt rgb24 -y "$5.rgb" &&
        python3 - "$5.rgb" "$@" <<'PY'
import sys
raw = open(sys.argv[1], "rb").read()
x0, y0, w, h = (int(v) for v in sys.argv[2:6])
for y in range((4 - y0) % 8, h, 8):
    for x in range((4 - x0) % 8, w, 8):
        bx, by = (x0 + x) // 8, (y0 + y) // 8
        want = ((bx * 37) & 255, (by * 59) & 255, ((bx + by) * 23) & 255)
        i = (y * w + x) * 3
        if tuple(raw[i:i + 3]) != want:
            sys.exit(1)
PY
}
at_least() { awk -v a="${1:-0}" -v b="$2" 'BEGIN{exit !(a >= b)}'; }
# A message box of the recorder's ("Korvane") that says TEXT, closed again.
expect_notice() { # text, [ms]
    notice=
    info wait Korvane "${2:-15000}" || { fail "no message saying '$1'"; return 1; }
    notice=$(info texts Korvane | grep -v '^OK$' | tr '\n' ' ')
    echo "message: $notice"
    case $notice in *"$1"*) ;; *) fail "the message says '$notice', wanted '$1'" ;; esac
    info close Korvane
    info gone Korvane 5000 || xdotool key Return
}
# A and B differ by less than D.
near() { # a, b, d
    awk -v a="${1:-0}" -v b="${2:-0}" -v d="$3" 'BEGIN{x = a - b; exit !(x < d && x > -d)}'
}
# No file of a recording in the scratch folder newer than MARK.
expect_scratch_clean() { # mark, what
    local left
    left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$1" -printf '%f ')
    [ -z "$left" ] || fail "$2: $left"
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
