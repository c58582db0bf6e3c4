#!/usr/bin/env bash
# Finishing a recording end to end, as a user would: a tone plays into the null sink,
# F7 and a drag from (300,200) to (100,100) record about 5 s, F8, a name with blanks is
# typed into the "Save to..." dialog and Enter; the saved file holds the msvideo1 stream
# (204x104) and the tone, as long as the video, the temporary files are gone and a
# "Player" window appears. Then two short recordings: one saved first into a folder where
# no file can be created (a message names the reason and the dialog comes back in that
# folder), then, with the merge's
# output blocked, one saved under a bare name (it lands in the last folder, as video at
# the name and audio at the name + ".wav").
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" finish
target_dir=$WINEPREFIX/drive_c/users/Public
saved="$target_dir/my finished movie.avi"

rm -f "$saved"
(cd "$KORVANE_DIST" && exec wine korvane.exe >"$work/korvane.log" 2>&1) &
pids+=($!)
info wait "$MAIN" 20000 || { fail "main window did not appear"; exit 1; }
sleep 0.5
sox -q -n -t pulseaudio nullsink synth 30 sine 440 vol 0.5 &
pids+=($!)

echo "== record about 5 s of the dragged area"
touch "$work/before-recording"
xdotool mousemove 600 500 key F7
info wait Title 2000 || fail "F7 did not show the selection window"
xdotool mousemove 300 200 mousedown 1
sleep 0.2
xdotool mousemove 200 150; sleep 0.1
xdotool mousemove 100 100; sleep 0.2
xdotool mouseup 1
xdotool mousemove 600 500
sleep 5
xdotool key F8

echo "== save under a name with blanks"
if info wait "Save to..." 60000; then
    sleep 1
    xdotool key ctrl+a
    xdotool type --delay 30 'C:\users\Public\my finished movie.avi'
    xdotool key Return
else
    fail "no \"Save to...\" dialog after F8"
fi
info wait Player 30000 || fail "no Player window after the save"
# The progress window is up only for the moment of the merge (too short to catch from
# outside): afterwards it is hidden again, its bar moved on to the end.
info gone "Convert Progress" 100 || fail "the progress window is still up after the merge"
bar_at_end() {
    bar=$(answer 10000 control pos "Convert Progress" 1025)
    [ "${bar:-0}" -ge 90 ] 2>/dev/null
}
wait_until 10000 bar_at_end || fail "the merge's progress bar stands at '$bar', wanted 90 or more"

echo "== the saved file"
[ -f "$saved" ] || fail "nothing saved at $saved"
if [ -f "$saved" ]; then
    v=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height -of csv=p=0 "$saved")
    vsecs=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$saved")
    [ "$v" = "msvideo1,204,104" ] || fail "video stream is '$v', wanted msvideo1,204,104"
    a=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_type -of csv=p=0 "$saved")
    [ "$a" = audio ] || fail "no audio stream in the saved file"
    ffmpeg -v error -i "$saved" -vn -ac 1 -ar 22050 "$work/sound.wav" 2>/dev/null
    secs=$(soxi -D "$work/sound.wav" 2>/dev/null || echo 0)
    awk -v s="$secs" 'BEGIN{exit !(s > 4 && s < 7)}' || fail "audio lasts $secs s, wanted about 5"
    # The sound starts with the video: both streams last as long.
    awk -v a="$secs" -v v="${vsecs:-0}" 'BEGIN{d = a - v; exit !(d < 0.3 && d > -0.3)}' ||
        fail "audio lasts $secs s but video $vsecs s"
    # The tone's band holds most of the energy.
    rms=$(sox "$work/sound.wav" -n sinc 400-480 stat 2>&1 | awk '/RMS +amplitude/{print $3}')
    awk -v r="${rms:-0}" 'BEGIN{exit !(r > 0.05)}' || fail "no 440 Hz tone in the audio (RMS $rms)"
    echo "saved: $v, video $vsecs s, audio $secs s, tone RMS $rms"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "temporary files left: $left"

info close Player || true
info gone Player 5000 || true

# Records about 2 s of the dragged area and waits for the save dialog.
record_short() {
    # The player that just closed leaves no window with the focus; give it back first.
    info front "$MAIN" 10000 || true
    sleep 0.3
    xdotool mousemove 600 500 key F7
    info wait Title 4000 || fail "F7 did not show the selection window"
    xdotool mousemove 300 200 mousedown 1; sleep 0.2
    xdotool mousemove 100 100; sleep 0.2
    xdotool mouseup 1; xdotool mousemove 600 500
    sleep 2
    xdotool key F8
    info wait "Save to..." 60000 || { fail "no \"Save to...\" dialog after F8"; return 1; }
    sleep 1
}
save_dialog_handle() { info list | awk '/Save to\.\.\./{print $1; exit}'; }
save_as() {
    # Keys go to whatever has the focus: on a busy machine the dialog may not have it yet.
    info front "Save to..." 10000 || true
    xdotool key ctrl+a
    xdotool type --delay 30 "$1"
    xdotool key Return
}

echo "== a folder where no file can be created: the dialog comes back there"
# Drive R: is first a folder the kernel lets nobody write to, later a normal one; a
# bare name typed into the second dialog shows which folder that dialog is in.
unwritable=
for d in /sys/kernel/mm /proc/sys/vm; do
    [ -d "$d" ] && ! touch "$d/korvane-probe" 2>/dev/null && { unwritable=$d; break; }
done
drive=$WINEPREFIX/dosdevices/r:
mkdir -p "$work/rdir"
if [ -n "$unwritable" ] && [ ! -e "$drive" ]; then
    ln -s "$unwritable" "$drive"
    on_exit='rm -f "$drive"'
    if record_short; then
        first=$(save_dialog_handle)
        save_as 'R:\cannot.avi'
        # Before the dialog comes back, the user is told why.
        if info wait Korvane 10000; then
            why=$(info texts Korvane | tr '\n' ' ')
            case $why in *"cannot.avi cannot be written: "*) ;; *) fail "the refusal says '$why'" ;; esac
            info close Korvane
        else
            fail "no message says why R:\\cannot.avi was refused"
        fi
        again=
        for _ in $(seq 30); do
            again=$(save_dialog_handle)
            [ -n "$again" ] && [ "$again" != "$first" ] && break
            again=; sleep 0.5
        done
        [ -n "$again" ] || fail "the save dialog did not come back"
        sleep 1
        ln -sfn "$work/rdir" "$drive"
        sleep 1
        save_as again.avi
        info wait Player 30000 || fail "no Player window after the second try"
        [ -f "$work/rdir/again.avi" ] || fail "the second dialog was not in R:\\ (again.avi not there)"
        info close Player || true
        info gone Player 5000 || true
    fi

    echo "== the merge cannot write: video at the name, audio at the name + .wav"
    # The recording reserves its merge output as an empty file when it starts (under
    # another name when an earlier run left one behind); a folder put in its place makes
    # the merge fail at its save step.
    touch "$work/before-third"
    merge=
    if record_short; then
        merge=$(find "$scratch" -maxdepth 1 -iname '*.avi' -empty -newer "$work/before-third" | head -n 1)
        [ -n "$merge" ] || fail "no empty merge output reserved in $scratch"
        [ -n "$merge" ] && rm -f "$merge" && mkdir "$merge"
        save_as third.avi
        info wait Player 30000 || fail "no Player window after the failed merge"
        third=$work/rdir/third.avi
        v=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$third" 2>/dev/null | tr '\n' ' ')
        [ "$v" = "msvideo1 " ] || fail "third.avi in the last folder holds '$v', wanted the video alone"
        soxi "$third.wav" >/dev/null 2>&1 || fail "no readable third.avi.wav beside it"
        info close Player || true
    fi
    [ -n "$merge" ] && rmdir "$merge"
    rm -f "$drive"
else
    fail "no unwritable folder for drive R: (or R: already taken)"
fi
left=$(find "$scratch" -maxdepth 1 \( -iname '*.avi' -o -iname '*.wav' \) -newer "$work/before-recording" -printf '%f ')
[ -z "$left" ] || fail "temporary files left after the short recordings: $left"

info close "$MAIN" || true
finish
