#!/usr/bin/env bash
# What a user meets at the edges, driven with xdotool: Record/Pause set to SHIFT and
# Stop/Cancel to CONTROL in the options dialog work with either key of each pair; a
# held Record/Pause key pauses once, however long the keyboard repeats it; the caption
# is back after a resume and after a Stop-button stop of a pause; and an area of
# 323x265 dragged into the bottom-right corner records as 324x268 inside the screen,
# with no black column or rows, its corner marks around it; and the system's word that it
# goes to sleep pauses a recording.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" edges
# The main window's caption in brackets; "?" when the look listed no window at all (the
# probe itself answered nothing, as a loaded bench now and then does).
caption() {
    local windows
    windows=$(info list)
    [ -n "$windows" ] || { echo "?"; return; }
    awk -F'\t' -v h="$main" '$1==h{print "[" $3 "]"}' <<<"$windows"
}
# The caption must come back to $MAIN (the stop or resume reaches the capture thread
# and its restore reaches the window within a few seconds on a loaded machine), then
# read so at every look for about a second.
expect_caption() { # what
    local got
    for _ in $(seq 1 100); do
        got=$(caption)
        [ "$got" = "[$MAIN]" ] && break
        sleep 0.1
    done
    [ "$got" = "[$MAIN]" ] || { fail "$1: the caption reads ${got:-nothing: the window is not listed}"; return; }
    for _ in 1 2 3 4 5 6; do
        case $got in
        "[$MAIN]" | "?") ;;
        *) fail "$1: the caption reads ${got:-nothing: the window is not listed}"; return ;;
        esac
        sleep 0.2
        got=$(caption)
    done
}
# Discards the stopped recording at its save dialog.
discard() {
    if info wait "Save to..." 60000; then
        sleep 0.5
        xdotool key Escape
        info gone "Save to..." 5000 || fail "Escape did not close the save dialog"
        info wait Korvane 5000 && info command Korvane 6  # Yes, discard it
        expect_buttons "1 0 0" "after the discarded save"
    else
        fail "no \"Save to...\" dialog after the stop"
    fi
}

start_recorder || finish

echo "== a held Record/Pause key pauses once"
record_area 100 100 300 200
expect_buttons "0 1 1" "recording"
sleep 1
# Held for about four seconds: the keyboard repeats it from the first second on.
xdotool keydown F7
states=""
for _ in $(seq 1 8); do sleep 0.2; states="$states$(buttons)|"; done
xdotool keyup F7
[ "$states" = "$(printf '1 0 1|%.0s' $(seq 1 8))" ] || fail "while F7 was held the buttons went $states"
expect_buttons "1 0 1" "after the held F7"
xdotool key F7
expect_buttons "0 1 1" "resumed by F7"
# The pause was long enough to blank the caption; resumed, it shows again.
expect_caption "after a resume"
xdotool key F8
discard

echo "== Record/Pause SHIFT, Stop/Cancel CONTROL, either key of each"
open_options || finish
# The lists end with TAB; SHIFT is 9 entries above it, CONTROL 8.
click "$OPTIONS" 1018 && xdotool key Escape End && xdotool key --repeat 9 --delay 30 Up
click "$OPTIONS" 1019 && xdotool key Escape End && xdotool key --repeat 8 --delay 30 Up
click "$OPTIONS" 1
info gone "$OPTIONS" 3000 || fail "OK did not close the options dialog"
keys=$(control text "$main" 1028)
[ "$keys" = "Hotkeys: Record/Pause SHIFT, Stop/Cancel CONTROL" ] || fail "hotkey line is '$keys'"

xdotool mousemove 600 300 key Shift_L
info wait Title 3000 || fail "left SHIFT did not show the selection window"
drag 100 100 300 200
expect_buttons "0 1 1" "recording after left SHIFT"
sleep 0.5
xdotool key Shift_R
expect_buttons "1 0 1" "paused by right SHIFT"
sleep 1.2
echo "== a paused recording stopped with the button: the caption is back"
info command "$main" 1002
sleep 0.5
expect_caption "after the Stop button"
discard

echo "== an area dragged into the bottom-right corner"
read -r sw sh < <(xdotool getdisplaygeometry)
touch "$work/before-corner"
xdotool key Shift_R
info wait Title 3000 || fail "right SHIFT did not show the selection window"
drag $((sw - 323)) $((sh - 265)) $((sw - 1)) $((sh - 1))
expect_buttons "0 1 1" "recording the corner"
sleep 1.5
import -window root "$work/corner.png"
sleep 1
xdotool key Control_L
expect_buttons "0 0 0" "stopped by left CONTROL"
if info wait "Save to..." 60000; then
    avi=$(find "$scratch" -maxdepth 1 -iname '*.avi' -size +0 -newer "$work/before-corner" | head -n 1)
    size=$(probe "$avi" v:0 width,height 2>/dev/null)
    [ "$size" = "324,268" ] || fail "the corner recording is '$size', wanted 324,268"
    ffmpeg -v error -sseof -0.5 -i "$avi" -frames:v 1 "$work/corner-frame.png" 2>/dev/null
    # The last column and the bottom rows show the desktop, not black.
    for crop in 1x268+323+0 324x3+0+265; do
        mean=$(convert "$work/corner-frame.png" -crop "$crop" -format '%[fx:mean]' info: 2>/dev/null)
        awk -v m="${mean:-0}" 'BEGIN{exit !(m > 0.05)}' || fail "the recording's $crop is black (mean $mean)"
    done
    # The marks sit around the area as recorded, from (sw - 324, sh - 268) on.
    x=$((sw - 328)) y=$((sh - 272))
    green=$(convert "$work/corner.png" -format "%[fx:int(255*p{$x,$y}.g)]" info:)
    [ "${green:-0}" -eq 255 ] || fail "no corner mark at ($x,$y) (green $green)"
    echo "corner recording: $size"
fi
discard

echo "== a coming sleep pauses the recording"
xdotool mousemove 600 300 key Shift_L
info wait Title 3000 || fail "left SHIFT did not show the selection window"
drag 100 100 300 200
expect_buttons "0 1 1" "recording before the sleep"
info post "$main" 0x218 4  # WM_POWERBROADCAST, PBT_APMSUSPEND
expect_buttons "1 0 1" "after the suspend broadcast"
xdotool key Control_R
discard

info close "$main" || true
finish
