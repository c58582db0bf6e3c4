#!/usr/bin/env bash
# Finishing a recording end to end, as a user would: a tone plays into the null sink,
# F7 and a drag from (300,200) to (100,100) record about 5 s, F8, a name with blanks is
# typed into the "Save to..." dialog and Enter; the saved file holds the msvideo1 stream
# (204x104) and the tone, as long as the video, the temporary files are gone and a
# "Player" window appears. Then two short recordings: one saved first into a folder where
# no file can be created (a message names the reason and the dialog comes back in that
# folder), then, with the merge's
# output on the scratch drive blocked, one saved under a bare name (it lands in the last
# folder, merged beside the name instead, as one movie with its sound); last one saved
# into a folder and under a name in Cyrillic and Japanese, and played.
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" finish
target_dir=$WINEPREFIX/drive_c/users/Public
saved="$target_dir/my finished movie.avi"

rm -f "$saved"
start_recorder || finish
play_tone 30

echo "== record about 5 s of the dragged area"
touch "$work/before-recording"
record_area 300 200 100 100
sleep 5

echo "== save under a name with blanks"
stop_and_save 'C:\users\Public\my finished movie.avi'
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
    v=$(probe "$saved" v:0 codec_name,width,height)
    vsecs=$(probe "$saved" v:0 duration)
    [ "$v" = "msvideo1,204,104" ] || fail "video stream is '$v', wanted msvideo1,204,104"
    a=$(probe "$saved" a:0 codec_type)
    [ "$a" = audio ] || fail "no audio stream in the saved file"
    secs=$(decode_sound "$saved" "$work/sound.wav" || echo 0)
    awk -v s="$secs" 'BEGIN{exit !(s > 4 && s < 7)}' || fail "audio lasts $secs s, wanted about 5"
    # The sound starts with the video: both streams last as long.
    near "$secs" "$vsecs" 0.3 || fail "audio lasts $secs s but video $vsecs s"
    # The tone's band holds most of the energy.
    rms=$(tone_rms "$work/sound.wav")
    has_tone "$rms" || fail "no 440 Hz tone in the audio (RMS $rms)"
    echo "saved: $v, video $vsecs s, audio $secs s, tone RMS $rms"
fi
expect_scratch_clean "$work/before-recording" "temporary files left"
close_player

# Records about 2 s of the dragged area and waits for the save dialog.
record_short() {
    record_area 300 200 100 100 || return 1
    sleep 2
    stop_recording
    await_save_dialog
}
save_dialog_handle() { info list | awk '/Save to\.\.\./{print $1; exit}'; }

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
        type_save 'R:\cannot.avi'
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
        type_save again.avi
        info wait Player 60000 || fail "no Player window after the second try"
        [ -f "$work/rdir/again.avi" ] || fail "the second dialog was not in R:\\ (again.avi not there)"
        close_player
    fi

    echo "== the merge cannot write on the scratch drive: merged beside the name instead"
    # The recording reserves its merge output as an empty file when it starts (under
    # another name when an earlier run left one behind); a folder put in its place makes
    # the merge fail at its save step.
    touch "$work/before-third"
    merge=
    if record_short; then
        merge=$(find "$scratch" -maxdepth 1 -iname '*.avi' -empty -newer "$work/before-third" | head -n 1)
        [ -n "$merge" ] || fail "no empty merge output reserved in $scratch"
        [ -n "$merge" ] && rm -f "$merge" && mkdir "$merge"
        type_save third.avi
        info wait Player 60000 || fail "no Player window after the failed merge"
        third=$work/rdir/third.avi
        v=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$third" 2>/dev/null | tr '\n' ' ')
        [ "$v" = "msvideo1 pcm_s16le " ] || fail "third.avi in the last folder holds '$v', wanted video and sound"
        [ -e "$third.wav" ] && fail "the sound was saved beside third.avi, not merged"
        ls "$work/rdir" | grep -i merging && fail "the merge's file beside third.avi was left behind"
        info close Player || true
    fi
    [ -n "$merge" ] && rmdir "$merge"
    rm -f "$drive"
else
    fail "no unwritable folder for drive R: (or R: already taken)"
fi
expect_scratch_clean "$work/before-recording" "temporary files left after the short recordings"

echo "== a folder and a name in Cyrillic and Japanese"
anywhere='C:\users\Public\Записи\録画 1.avi'
anywhere_file=$(unix_path "$anywhere")
mkdir -p "$(dirname "$anywhere_file")" && rm -f "$anywhere_file"
if record_short; then
    type_save "$anywhere"
    await_player
    expect_movie_played "$anywhere"
    v=$(probe "$anywhere_file" v:0 codec_name 2>/dev/null)
    [ "$v" = msvideo1 ] || fail "$anywhere holds '$v', wanted the msvideo1 movie"
    close_player
fi

info close "$MAIN" || true
finish
