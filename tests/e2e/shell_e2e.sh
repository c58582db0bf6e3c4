#!/usr/bin/env bash
# The recorder shell end to end, driven as a user would with xdotool in a private bench:
# F7 and a drag from (300,200) to (100,100) start a recording of 201x101 pixels, the
# corner marks show around it, F7 pauses and resumes, F8 stops, and the temporary AVI
# is 204x104 and decodes; a second F7 during the selection does nothing, a right click
# cancels; every way of leaving is refused while recording and works while idle; a second
# start while recording ends at once and restores the minimised recorder; the
# program runs without its skin file and with a skin library that does nothing.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" shell
NOTE="Brisko Screen Video Capture"
region_shown() { info wait Title "${1:-2000}"; }
region_hidden() { info gone Title "${1:-2000}"; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
is_mark_colour() { [ "$1" = "255,255,180" ] || [ "$1" = "0,255,80" ]; }
# Each way of leaving must show the note and leave the main window open.
expect_refused_exit() { # what, then the command that tries to leave
    local what=$1; shift
    "$@"
    if info wait "$NOTE" 3000 && info texts "$NOTE" | grep -qx "Please stop video screen capture before exit!"; then
        info command "$NOTE" 1 || true  # OK on the note
        info gone "$NOTE" 3000 || fail "$what: the note did not go away"
    else
        fail "$what while recording: no 'Please stop video screen capture before exit!' note"
    fi
    info wait "$main" 500 || fail "$what while recording ended the program"
}
focus_main() { info front "$main"; sleep 0.3; }

echo "== start and the selection window"
start_recorder || finish
expect_buttons "1 0 0" "idle at start"
xdotool mousemove 600 500
xdotool key F7
region_shown || fail "F7 did not show the selection window"
xdotool key F7
sleep 0.5
region_shown 200 || fail "a second F7 hid the selection window"
expect_buttons "1 0 0" "second F7 during the selection"
xdotool click 3
region_hidden || fail "a right click did not cancel the selection"
expect_buttons "1 0 0" "after the right click"
xdotool key F7
region_shown || fail "F7 after a cancelled selection did not show the selection window"

echo "== drag from (300,200) to (100,100)"
touch "$work/before-recording"
drag 300 200 100 100
region_hidden || fail "the selection window stayed after the drag"
expect_buttons "0 1 1" "recording"
xdotool mousemove 600 500
sleep 1.5
import -window root "$work/recording.png"
# Marks outside the recorded area: (100,100) and 204x104 once aligned for Video 1, so
# 6 pixels thick at x 94..99 and y 94..99, 5 thick at x 304..308 and y 204..208.
for point in "96 96" "96 110" "110 96" "306 206" "306 190" "290 206" "96 206" "306 96"; do
    set -- $point
    colour=$(pixel "$work/recording.png" "$1" "$2")
    is_mark_colour "$colour" || fail "no corner mark at ($1,$2): $colour"
done
colour=$(pixel "$work/recording.png" 200 96)
is_mark_colour "$colour" && fail "the middle of the top side is marked: $colour"

echo "== leaving is refused while recording"
expect_refused_exit "close box" info close "$main"
expect_refused_exit "Exit button" info command "$main" 1004
focus_main
expect_refused_exit "Escape" xdotool key Escape
focus_main
expect_refused_exit "Alt+F4" xdotool key alt+F4
xdotool mousemove 600 500

echo "== a second start while recording, minimised, hands over to the first"
rect_of() { info list | awk -F'\t' -v h="$1" '$1==h{print $4}'; }
before=$(rect_of "$main")
info syscommand "$main" 61472  # SC_MINIMIZE
minimised() { [ "$(rect_of "$main")" != "$before" ]; }
wait_until 3000 minimised || fail "the recorder did not minimise"
(cd "$KORVANE_DIST" && exec wine korvane.exe >"$work/second.log" 2>&1) &
second=$!
pids+=($second)
ended() { ! kill -0 "$second" 2>/dev/null; }
wait_until 20000 ended || fail "the second start is still running"
mains=$(info list | awk -F'\t' -v t="$MAIN" '$3==t' | wc -l)
[ "$mains" -eq 1 ] || fail "$mains main windows after a second start"
restored() { [ "$(rect_of "$main")" = "$before" ]; }
wait_until 3000 restored || fail "the running recorder was not restored: $(info list | grep "$main")"
expect_buttons "0 1 1" "still recording after the second start"
xdotool mousemove 600 500

echo "== pause, resume, stop with the hotkeys"
xdotool key F7
expect_buttons "1 0 1" "paused by F7"
sleep 0.5
xdotool key F7
expect_buttons "0 1 1" "resumed by F7"
sleep 1
xdotool key F8
# Until the save is over nothing new may start, so Record stays grey too.
expect_buttons "0 0 0" "stopped by F8, finishing"
sleep 2

echo "== the temporary AVI"
# Not the empty file the recording keeps reserved for the merge.
avi=$(find "$scratch" -maxdepth 1 -iname '*.avi' -size +0 -newer "$work/before-recording" -printf '%f\n' | head -1)
if [ -z "$avi" ]; then
    fail "no new AVI file in $scratch"
else
    size=$(probe "$scratch/$avi" v:0 width,height || true)
    [ "$size" = "204,104" ] || fail "temporary AVI $avi is '$size', wanted 204,104"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$scratch/$avi" || true)
    [ "${frames:-0}" -gt 10 ] 2>/dev/null || fail "temporary AVI $avi has '$frames' frames"
    ffmpeg -v error -xerror -i "$scratch/$avi" -f null - 2>"$work/decode.log" || fail "ffmpeg could not decode $avi: $(head -3 "$work/decode.log")"
    echo "temporary AVI: $avi, $size, $frames frames"
fi

echo "== cancelling the save dialog asks, and discards the recording only on Yes"
if info wait "Save to..." 10000; then
    xdotool key Escape
    info gone "Save to..." 5000 || fail "Escape did not close the save dialog"
    if info wait Korvane 5000; then
        asked=$(info texts Korvane | tr '\n' '|')
        case $asked in *"|Discard this recording?|"* | "Discard this recording?|"*) ;;
            *) fail "Escape asked '$asked'" ;; esac
        # No: the dialog is back and the files stay.
        info command Korvane 7
        info wait "Save to..." 10000 || fail "No did not bring the save dialog back"
        left=$(find "$scratch" -maxdepth 1 -iname '*.avi' -size +0 -newer "$work/before-recording" | head -n 1)
        [ -n "$left" ] || fail "the recording's files went while the question was open"
        sleep 0.5
        xdotool key Escape
        info wait Korvane 5000 || fail "the second Escape asked nothing"
        info command Korvane 6  # Yes
    else
        fail "Escape discarded the recording without asking"
    fi
    expect_buttons "1 0 0" "after the cancelled save"
    sleep 1
    expect_scratch_clean "$work/before-recording" "cancelled save left temporary files"
    info wait Player 1500 && fail "cancelled save started the player"
else
    fail "no \"Save to...\" dialog after F8"
fi

echo "== dragging the window by its background"
before_rect=$(rect_of "$main")
IFS=, read -r wl wt _ _ <<<"$before_rect"
xdotool mousemove $((wl + 20)) $((wt + 150)) mousedown 1
sleep 0.2
xdotool mousemove $((wl + 70)) $((wt + 190)); sleep 0.2
xdotool mousemove $((wl + 120)) $((wt + 230)); sleep 0.3
xdotool mouseup 1
sleep 0.5
IFS=, read -r nl nt _ _ <<<"$(rect_of "$main")"
[ "$nl" = $((wl + 100)) ] && [ "$nt" = $((wt + 80)) ] ||
    fail "dragging the background moved the window from $before_rect to $nl,$nt"

echo "== leaving while idle"
info command "$main" 1004
info gone "$main" 5000 || fail "Exit while idle did not end the program"
for way in close escape altf4; do
    start_recorder || continue
    case $way in
        close) info close "$main" ;;
        escape) focus_main; xdotool key Escape ;;
        altf4) focus_main; xdotool key alt+F4 ;;
    esac
    info gone "$main" 5000 || { fail "$way while idle did not end the program"; info close "$main" || true; }
done

echo "== without the skin file, and with a skin library that does nothing"
for variant in noskinfile nullskin; do
    dir=$work/$variant
    mkdir -p "$dir"
    cp "$KORVANE_DIST"/korvane.exe "$KORVANE_DIST"/hook.dll "$KORVANE_DIST"/hookkey.dll "$dir/"
    if [ $variant = nullskin ]; then
        cp "$KORVANE_BUILD/tests/e2e/nullskin/SkinMagic.dll" "$dir/"
        cp "$KORVANE_DIST/xplus.smf" "$dir/"
    else
        cp "$KORVANE_DIST/SkinMagic.dll" "$dir/"
    fi
    start_recorder --from "$dir" || continue
    xdotool mousemove 600 500
    xdotool key F7
    region_shown || fail "$variant: F7 did not show the selection window"
    xdotool click 3
    region_hidden || fail "$variant: right click did not cancel"
    info close "$main"
    info gone "$main" 5000 || fail "$variant: close did not end the program"
done

finish
