#!/usr/bin/env bash
# The options dialog end to end, driven as a user would with xdotool: Options, 10 fps,
# quality 50 %, Fixed Region with 200x100 dragged out through "Select Fixed &Region",
# OK; the main window's status lines show it; F7 and a click place the fixed frame, F8
# and the "Save to..." dialog save a movie that ffprobe finds 200x100 at 10 fps. Then
# Record/Pause becomes F6: F7 does nothing any more and F6 starts a selection. Record
# Cursor and Record Audio are switched off; the recorder, restarted, shows every option
# as it was left. Stored values damaged in the registry (wrong types, huge numbers, a
# compressor that does not exist, unknown names) give the defaults, with no message.
# The system menu's "About Korvane..." shows the version.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" options
saved="$WINEPREFIX/drive_c/users/Public/options movie.avi"
# The text of control ID in the window TITLE.
text_of() { control text "$1" "$2"; }

rm -f "$saved"
start_recorder || finish

echo "== Options: 10 fps, quality 50 %, Fixed Region 200x100"
open_options || finish
click "$OPTIONS" 1011 && xdotool key Up Up Up Return
expect_text "$OPTIONS" 1011 10 "frame rate"
# A click on the slider's left end takes the focus; the keys then move it from 1 to 50.
click "$OPTIONS" 1010 4 && xdotool key Home && xdotool key --delay 20 --repeat 49 Right
expect_text "$OPTIONS" 1021 50 "quality"
click "$OPTIONS" 1006 6
click "$OPTIONS" 1024
if info wait Title 3000; then
    drag 100 100 299 199
    info gone Title 3000 || fail "the selection window stayed after the drag"
else
    fail "\"Select Fixed &Region\" did not show the selection window"
fi
expect_text "$OPTIONS" 1007 200 "dragged width"
expect_text "$OPTIONS" 1008 100 "dragged height"
click "$OPTIONS" 1
info gone "$OPTIONS" 3000 || fail "OK did not close the dialog"
video=$(text_of "$main" 1026)
[[ $video =~ ^Video:\ .+,\ Quality\ 50%,\ 10\ fps$ ]] || fail "video status line is '$video'"
expect_text "$main" 1028 "Hotkeys: Record/Pause F7, Stop/Cancel F8" "hotkey status line"
echo "status: $video / $(text_of "$main" 1027)"

echo "== F7 places the fixed frame with the mouse, F8 saves"
xdotool mousemove 600 500 key F7
if info wait Title 3000; then
    xdotool mousemove 500 400; sleep 0.2
    xdotool mousemove 400 300; sleep 0.3
    xdotool click 1
    info gone Title 3000 || fail "a click did not place the fixed frame"
else
    fail "F7 did not show the selection window"
fi
xdotool mousemove 700 600
sleep 3
stop_and_save 'C:\users\Public\options movie.avi'
if [ -f "$saved" ]; then
    v=$(probe "$saved" v:0 width,height,r_frame_rate)
    [ "$v" = "200,100,10/1" ] || fail "saved video is '$v', wanted 200,100,10/1"
    echo "saved: $v"
else
    fail "nothing saved at $saved"
fi
close_player

echo "== Record/Pause becomes F6 and works at the next press"
open_options || finish
click "$OPTIONS" 1018 && xdotool key Up Return
expect_text "$OPTIONS" 1018 F6 "Record/Pause list"
click "$OPTIONS" 1
info gone "$OPTIONS" 3000 || fail "OK did not close the dialog"
expect_text "$main" 1028 "Hotkeys: Record/Pause F6, Stop/Cancel F8" "hotkey status line"
xdotool mousemove 600 500 key F7
info wait Title 1500 && { fail "F7 still starts a selection"; xdotool click 3; }
xdotool key F6
if info wait Title 3000; then
    xdotool click 3
    info gone Title 3000 || fail "a right click did not cancel the selection"
else
    fail "F6 did not start a selection"
fi

echo "== Record Cursor and Record Audio off"
open_options || finish
click "$OPTIONS" 1016 6
click "$OPTIONS" 1012 6
click "$OPTIONS" 1
info gone "$OPTIONS" 3000 || fail "OK did not close the dialog"

# The three status lines, one a line.
status_lines() { control text "$main" 1026 1027 1028; }
# The option controls as the dialog shows them: frame rate, quality, width, height, keys,
# then the check boxes Fixed Region, Record Audio, Minimize, Record Cursor.
option_values() {
    control text "$OPTIONS" 1011 1021 1007 1008 1018 1019
    control checked "$OPTIONS" 1006 1012 1015 1016
}
restart() {
    info close "$main" || true
    wait "$korvane_pid" 2>/dev/null
    start_recorder
}
open_options || finish
before=$(option_values)
click "$OPTIONS" 2
info gone "$OPTIONS" 15000 || fail "Cancel did not close the dialog"
lines_before=$(status_lines)

echo "== Restarted: the same options"
restart || finish
[ "$(status_lines)" = "$lines_before" ] ||
    fail "status lines after the restart: '$(status_lines)', before: '$lines_before'"
echo "$lines_before" | grep -qx "Audio: none" || fail "the audio line is not 'Audio: none'"
open_options || finish
after=$(option_values)
[ "$after" = "$before" ] || fail "options after the restart: $(echo $after), before: $(echo $before)"
echo "options: $(echo $after)"
click "$OPTIONS" 2
info gone "$OPTIONS" 15000 || fail "Cancel did not close the dialog"

echo "== Damaged stored options: the defaults, no message"
info close "$main" || true
wait "$korvane_pid" 2>/dev/null
store='HKCU\Software\Korvane\Options'
damage() { wine reg add "$store" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 || fail "reg add $1"; }
damage FramesPerSecond REG_SZ 10
damage Quality REG_DWORD 4294967295
damage Compressor REG_DWORD 0x656E6F67
damage CompressorStateFor REG_DWORD 0x656E6F67
damage CompressorState REG_BINARY 0102030405
damage RecordAudio REG_DWORD 2
damage AudioFormat REG_DWORD 0xFFFFFFFF
damage CompressFormat REG_BINARY 0100
damage RecordPauseKey REG_BINARY 75000000
damage StopKey REG_DWORD 0x77777
damage RegionMode REG_DWORD 7
damage FixedWidth REG_DWORD 99999
damage FixedHeight REG_QWORD 100
damage RecordCursor REG_SZ 0
damage Unknown REG_DWORD 1
wine reg add "$store\\Extra" /v Value /t REG_SZ /d x /f >/dev/null 2>&1
restart || finish
[ "$(status_lines)" = "$(printf '%s\n' "Video: Microsoft Video 1, Quality 70%, 25 fps" \
    "Audio: MPEG Layer-3, 22.05 kHz, stereo, 16-bit" "Hotkeys: Record/Pause F7, Stop/Cancel F8")" ] ||
    fail "status lines from damaged values: $(status_lines)"
windows=$(info list | awk -F'\t' '{print $3}' | grep -v -x -e "$MAIN" -e "Default - Wine desktop" -e "" || true)
[ -z "$windows" ] || fail "windows besides the main window: $windows"
open_options || finish
defaults=$(option_values)
# 25 fps, 70 %, 320x240 (the width past the screen and the wrong-typed height alike), F7, F8,
# Normal Region, Record Audio on, Minimize off, Record Cursor on.
[ "$(echo $defaults)" = "25 70 320 240 F7 F8 0 1 0 1" ] || fail "options from damaged values: $(echo $defaults)"
click "$OPTIONS" 2
info gone "$OPTIONS" 3000 || true

echo "== About Korvane shows the version"
version=$(sed -n 's/^project(korvane VERSION \([0-9.]*\).*/\1/p' "$KORVANE_SOURCE/CMakeLists.txt")
info syscommand "$main" 16
if info wait "About Korvane" 5000; then
    info texts "About Korvane" | grep -q "^Korvane $version" ||
        fail "the About box says '$(info texts "About Korvane" | tr '\n' ' ')', wanted Korvane $version"
    info command "About Korvane" 1
    info gone "About Korvane" 3000 || fail "the About box stayed"
else
    fail "no About box"
fi

info close "$main" || true
finish
