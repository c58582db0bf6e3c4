#!/usr/bin/env bash
# Long merges as a user sees them, 44.1 kHz stereo recorded with a tone (F7, a drag, F8,
# a name typed into the save dialog). While "Convert Progress" shows, its bar is read
# from outside: it must move forward through many positions (as many as the machine's
# speed leaves time for), and the main window must answer within half a second all along.
#   1. About 60 s with the compression the options dialog proposes (Microsoft ADPCM,
#      which Wine cannot encode): the merge falls back to copying the recorded PCM.
#   2. About 30 s with IMA ADPCM from the format chooser: converted, then saved (the
#      conversion itself takes only some tens of milliseconds on the bench).
# Afterwards F7 still opens a selection: the key hook is alive.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" merge
CHOOSER="Sound Selection"
saved="$WINEPREFIX/drive_c/users/Public/long merge.avi"
close_options() {
    echo "recording $(control text "$OPTIONS" 1013), compressed to $(control text "$OPTIONS" 1014)"
    click "$OPTIONS" 1
    info gone "$OPTIONS" 3000 || fail "OK did not close the options dialog"
}
# Records, saves and follows the merge; $1 names the case, $2 the audio codec wanted,
# $3 the seconds to record, $4 the least milliseconds the merge must show for.
record_and_merge() {
    local what=$1 codec=$2 seconds=$3 least=$4 log=$work/$1.txt
    rm -f "$saved"
    record_area 300 200 100 100 || return
    sleep "$seconds"
    stop_recording
    # The watcher looks before the merge can begin.
    wine "$work/dialog_control.exe" watch "Convert Progress" 1025 "$main" 120000 2>/dev/null |
        tr -d '\r' >"$log" &
    local watcher=$!
    for _ in $(seq 1 100); do grep -q watching "$log" && break; sleep 0.2; done
    if ! await_save_dialog; then
        kill "$watcher"
        return
    fi
    type_save 'C:\users\Public\long merge.avi'
    wait "$watcher"
    local shown slowest moves
    shown=$(awk '$1=="shown"{print $2}' "$log")
    slowest=$(awk '$1=="slowest"{print $2}' "$log")
    moves=$(awk '$1=="position" && $2 > 0 && $2 < 100' "$log" | wc -l)
    echo "$what: shown $shown ms, $moves positions, slowest answer $slowest ms:" \
        "$(awk '$1=="position"{printf "%s ", $2}' "$log")"
    [ "${shown:-0}" -gt 0 ] || fail "$what: \"Convert Progress\" was never seen"
    [ "${shown:-0}" -ge "$least" ] ||
        echo "$what: note: the merge took ${shown:-0} ms here, less than the $least ms aimed at"
    # A merge over in a blink (a fast machine) leaves the watcher few samples and the user
    # nothing to follow: the positions wanted grow with the time the bar was shown, one per
    # 100 ms after the first 300 ms (opening the streams), up to five.
    local want=$(((${shown:-0} - 300) / 100))
    [ "$want" -gt 5 ] && want=5
    [ "$want" -lt 0 ] && want=0
    [ "$moves" -ge "$want" ] || fail "$what: the bar took $moves positions between 0 and 100, wanted $want or more"
    [ "${slowest:-5000}" -lt 500 ] || fail "$what: the main window took $slowest ms to answer"
    awk '$1=="position"{if ($2 < last) exit 1; last = $2}' "$log" || fail "$what: the bar moved back"
    info wait Player 60000 || fail "$what: no Player window after the save"
    local a
    a=$(probe "$saved" a:0 codec_name 2>/dev/null)
    [ "$a" = "$codec" ] || fail "$what: the saved audio is '$a', wanted $codec"
    close_player
}

start_recorder || finish
play_tone 240

echo "== 44.1 kHz stereo, the compression proposed: the PCM copy"
open_options || finish
# The recording formats end with the largest.
click "$OPTIONS" 1013 && xdotool key End Return
sleep 0.5
close_options
record_and_merge proposed pcm_s16le 60 1000

echo "== IMA ADPCM from the format chooser: converted, then saved"
open_options || finish
click "$OPTIONS" 1022
info wait "$CHOOSER" 5000 || { fail "no format chooser"; finish; }
sleep 0.5
# The format: the first beginning with I; its attributes: the last, 44.1 kHz stereo.
click "$CHOOSER" 101 && xdotool key Escape I
click "$CHOOSER" 102 && xdotool key Escape End
sleep 0.3
click "$CHOOSER" 1
info gone "$CHOOSER" 3000 || fail "the chooser stayed"
close_options
record_and_merge ima adpcm_ima_wav 30 0

echo "== the key hook still answers"
focus "$main"
xdotool mousemove 600 500 key F7
info wait Title 3000 || fail "F7 after the merges did not show the selection window"
xdotool click 3
info gone Title 3000 || fail "a right click did not cancel the selection"
rm -f "$saved"
info close "$main" || true
finish
