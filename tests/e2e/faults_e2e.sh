#!/usr/bin/env bash
# Recordings that meet trouble keep what was recorded. With a tone playing:
#  - sound full: the sound ceiling lowered (KORVANE_SOUND_BYTES): the recording stops by
#    itself, says why, and is saved whole;
#  - Escape at "Save to...": the recording is not thrown away unasked; No brings the dialog
#    back and the save keeps everything;
#  - parts: the part size lowered (KORVANE_PART_BYTES), about 6 s recorded; "parts (2).avi"
#    is the user's, so saving as "parts.avi" asks first, and No brings the dialog back; the
#    save as "split.avi" gives "split.avi", "split (2).avi", ... each with video and sound,
#    holding together every recorded frame, and a message names them all;
#  - a read-only target: a read-only file, then a folder on a read-only drive, chosen in
#    "Save to..."; each time the user is told why and asked again, the file is untouched,
#    and the third name keeps the recording;
#  - Exit within half a second of Stop: nothing is cut short, the save dialog still comes;
#  - a full scratch drive: the scratch folder on a small tmpfs that a filler fills up
#    mid-recording; the recorder stops by itself, says why, and the save keeps at least
#    95 % of what was recorded;
#  - the sound device lost mid-recording (the sound server's source removed): the main
#    window says so, the end says so, and the sound goes on as silence as long as the video;
#  - a save dialog that cannot be shown (comdlg32 replaced beside the recorder): nothing is
#    deleted, the user is told where the recording is; a start that then fails on a full
#    drive leaves it alone; a description planted beside it names a file of the user's;
#    the next start offers the recording, deletes nothing of the user's, and saves it;
#  - a second start while recording: it ends, and the recording goes on and is saved.
# Each case adds a line to a table of what was recorded (the scratch files when the save
# dialog comes up) and what was saved, both read with ffprobe and sox.
failing_dialog=$1  # the comdlg32.dll whose save dialog cannot be shown
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" faults
public=$WINEPREFIX/drive_c/users/Public
play_tone 900
# A file of the user's in the save folder that no case may touch.
bystander=$public/bystander.avi
head -c 100000 /dev/urandom >"$bystander"
bystander_sum=$(md5sum <"$bystander")
matrix=$work/matrix.txt
printf '%-14s | %-6s | %-6s | %-7s | %-7s | %s\n' case frames saved sound saved "user saw / file" >"$matrix"

# While a recording is being finished the recorder does not act on a close, as a user
# who clicks again would see: the close is asked again every two seconds.
stop_recorder() {
    for _ in $(seq 10); do
        info close "$main" || true
        info gone "$main" 2000 && break
    done
    info gone "$main" 1000 || { fail "the recorder did not close"; info list; recorder_state; }
    local i
    for i in $(seq 30); do kill -0 "$korvane_pid" 2>/dev/null || return 0; sleep 0.5; done
    kill "$korvane_pid" 2>/dev/null
}
# Waits for "Save to..." and notes what the recording left in the scratch folder.
await_save() {
    await_save_dialog "${1:-30000}" || return 1
    note_recorded "${2:-$scratch}"
}
# Notes what the recording left in the scratch folder DIR.
note_recorded() { # dir
    recorded_frames=0 recorded_sound=0 recorded_seconds=0
    local f
    while read -r f; do
        recorded_frames=$((recorded_frames + $(frames "$f")))
        recorded_seconds=$(awk -v t="$recorded_seconds" -v s="$(duration v:0 "$f")" 'BEGIN{print t + s}')
    done < <(find "$1" -maxdepth 1 -iname '~temp*.avi' -size +0 -newer "$work/mark")
    while read -r f; do
        recorded_sound=$(awk -v t="$recorded_sound" -v s="$(soxi -D "$f" 2>/dev/null)" 'BEGIN{print t + s}')
    done < <(find "$1" -maxdepth 1 -iname '~temp*.wav' -size +0 -newer "$work/mark")
}
duration() { probe "$2" "$1" duration 2>/dev/null; }
# Adds up the saved files' frames and decoded sound into saved_frames and saved_sound.
measure_saved() {
    saved_frames=0 saved_sound=0
    local f
    for f in "$@"; do
        [ -f "$f" ] || continue
        saved_frames=$((saved_frames + $(frames "$f")))
        saved_sound=$(awk -v t="$saved_sound" -v s="$(decode_sound "$f" "$work/sound.wav")" 'BEGIN{print t + s}')
    done
}
# One line of the table; fails unless 95 % of the frames and of the sound were kept.
note_case() {
    printf '%-14s | %6s | %6s | %6.2fs | %6.2fs | %s\n' "$1" "$recorded_frames" "$saved_frames" \
        "$recorded_sound" "$saved_sound" "$2" | tee -a "$matrix"
    awk -v s="$saved_frames" -v r="$recorded_frames" 'BEGIN{exit !(r > 10 && s >= 0.95 * r)}' ||
        fail "$1: $saved_frames frames saved of $recorded_frames recorded"
    awk -v s="$saved_sound" -v r="$recorded_sound" 'BEGIN{exit !(r > 0.5 && s >= 0.95 * r)}' ||
        fail "$1: $saved_sound s of sound saved of $recorded_sound s recorded"
}
# Saves as C:\users\Public\$1.avi, waits for the player and measures the saved movie,
# whose sound must last as long as its video (within $2 s, 0.3 by default).
save_with_sound() {
    type_save "C:\\users\\Public\\$1.avi"
    await_player
    close_player
    measure_saved "$public/$1.avi"
    local v
    v=$(duration v:0 "$public/$1.avi")
    near "$saved_sound" "$v" "${2:-0.3}" || fail "the sound lasts $saved_sound s against $v s of video"
}
echo "== parts, a later part's name taken by a file of the user's"
rm -f "$public"/parts*.avi "$public"/split*.avi
taken="$public/parts (2).avi"
head -c 5000 /dev/urandom >"$taken"
taken_sum=$(md5sum <"$taken")
start_recorder KORVANE_PART_BYTES=250000 || finish
record_area 100 100 420 340
sleep 6
focus "$main"
stop_recording
await_save
type_save 'C:\users\Public\parts.avi'
# Asked before anything is written; No (the default) brings the dialog back.
expect_notice "exist already"
asked=$notice
await_save_dialog 30000
type_save 'C:\users\Public\split.avi'
expect_notice "saved in" 60000
await_player
close_player
fps=$(probe "$public/split.avi" v:0 r_frame_rate 2>/dev/null)
count=0 total=0 parts=()
for f in "$public/split.avi" "$public"/split\ \(*\).avi; do
    [ -f "$f" ] || continue
    count=$((count + 1)) parts+=("$f")
    v=$(duration v:0 "$f") a=$(decode_sound "$f" "$work/sound.wav")
    echo "$(basename "$f"): $(frames "$f") frames, video ${v:-none} s, audio ${a:-none} s"
    [ -n "$v" ] && [ -n "$a" ] || fail "$(basename "$f") lacks video or audio"
    # Each part's sound is the sound that played with its frames.
    near "$a" "$v" 0.3 || fail "$(basename "$f"): audio $a s against video $v s"
    total=$(awk -v t="$total" -v v="${v:-0}" 'BEGIN{print t + v}')
done
[ "$count" -ge 3 ] || fail "$count parts saved, wanted three or more"
measure_saved "${parts[@]}"
[ "$saved_frames" -eq "$recorded_frames" ] || fail "the parts hold $saved_frames frames, $recorded_frames were recorded"
# The parts together last as long as the recording, within a frame.
awk -v t="$total" -v d="$recorded_seconds" -v r="${fps:-0}" 'BEGIN{split(r, q, "/"); f = q[1] / (q[2] ? q[2] : 1);
    exit !(f > 0 && (t - d) * f <= 1 && (d - t) * f <= 1)}' ||
    fail "the parts last $total s together, the recording $recorded_seconds s at $fps fps"
echo "parts: $count, $total s in all at $fps fps; recorded $recorded_seconds s"
[ "$(md5sum <"$taken")" = "$taken_sum" ] || fail "the user's parts (2).avi was changed"
note_case "(e) 3+ parts" "\"$(echo "$asked" | cut -c1-30)...\", No, then \"$(echo "$notice" | cut -c1-30)...\"; $count files split*.avi, parts (2).avi untouched"
rm -f "$public"/parts*.avi "$public"/split*.avi
stop_recorder

echo "== a read-only target: a read-only file, then a read-only folder"
locked=$public/locked.avi
printf 'the user'"'"'s own file' >"$locked"
chmod 444 "$locked"
locked_sum=$(md5sum <"$locked")
rodir=$public/rofolder
mkdir -p "$rodir"
if mount -t tmpfs -o ro,size=1m tmpfs "$rodir" 2>/dev/null; then
    on_exit='umount -l "$rodir" 2>/dev/null'
else
    chmod 555 "$rodir"  # stops a user who is not root
fi
start_recorder || finish
record_area 300 200 100 100
sleep 3
focus "$main"
stop_recording
await_save
type_save 'C:\users\Public\locked.avi'
# The overwrite question may come first (a second window of the dialog's title): Yes.
for i in $(seq 20); do
    info wait Korvane 100 && break
    if [ "$(info list | grep -c 'Save to\.\.\.')" -ge 2 ] || [ "$i" = 8 ]; then
        info list
        sleep 0.5
        xdotool key Return
        break
    fi
    sleep 0.4
done
expect_notice "locked.avi cannot be written: "
seen_file=$notice
[ "$(md5sum <"$locked")" = "$locked_sum" ] || fail "the read-only file was changed"
await_save 60000
type_save 'C:\users\Public\rofolder\movie.avi'
expect_notice "movie.avi cannot be written: "
seen_folder=$notice
await_save 60000
rm -f "$public/after refusals.avi"
type_save 'C:\users\Public\after refusals.avi'
await_player
close_player
measure_saved "$public/after refusals.avi"
note_case "(a) read-only" "\"...$(echo "$seen_file" | cut -c20-64)\" and \"...$(echo "$seen_folder" | cut -c30-74)\", the dialog again each time; after refusals.avi"
[ "$(md5sum <"$locked")" = "$locked_sum" ] || fail "the read-only file was changed"
umount -l "$rodir" 2>/dev/null
on_exit=:
rmdir "$rodir" 2>/dev/null
chmod 644 "$locked"; rm -f "$locked" "$public/after refusals.avi"

echo "== Exit within half a second of Stop"
rm -f "$public/exit.avi"
record_area 300 200 100 100
sleep 3
focus "$main"
stop_recording
info command "$main" 1004
sleep 0.2
info close "$main"
await_save
type_save 'C:\users\Public\exit.avi'
await_player
close_player
measure_saved "$public/exit.avi"
note_case "(b) Exit" "the save dialog as usual; exit.avi"
info wait "$main" 100 || fail "the main window went away during the finish"
rm -f "$public/exit.avi"
stop_recorder

echo "== the sound file reaches its ceiling"
rm -f "$public/long sound.avi"
# About 7 s of the default format, in place of the nearly seven hours of 2 GB.
start_recorder KORVANE_SOUND_BYTES=600000 || finish
record_area 200 150 300 220
expect_notice "its sound file reached the largest size" 60000
seen=$notice
await_save
# The sound stops the recording; the picture last grabbed may be up to one loop's work
# behind it, which on a busy machine is a good part of a second.
save_with_sound 'long sound' 1
note_case "(f) sound full" "\"$(echo "$seen" | cut -c1-70)...\"; long sound.avi"
rm -f "$public/long sound.avi"
stop_recorder

echo "== Escape at the save dialog, then No"
rm -f "$public/after cancel.avi"
start_recorder || finish
record_area 150 120 320 240
sleep 3
focus "$main"
stop_recording
await_save
focus "Save to..."
xdotool key Escape
info wait Korvane 10000 || fail "Escape asked nothing"
seen=$(info texts Korvane | grep -v -x 'Yes\|No' | tr '\n' ' ')
case $seen in *"Discard this recording?"*) ;; *) fail "Escape asked '$seen'" ;; esac
info command Korvane 7  # No
await_save_dialog 10000 || fail "No did not bring the save dialog back"
save_with_sound 'after cancel'
note_case "(g) Esc, No" "\"$seen\", the dialog again; after cancel.avi"
rm -f "$public/after cancel.avi"
stop_recorder

echo "== the scratch drive fills up"
small=$work/small
mkdir -p "$small"
if mount -t tmpfs -o size=48m tmpfs "$small" 2>/dev/null; then
    on_exit='umount -l "$small" 2>/dev/null'
    start_recorder KORVANE_SCRATCH_FOLDER="Z:${small//\//\\}" || finish
    record_area 0 0 639 479
    sleep 2
    # Something else takes the rest of the drive.
    dd if=/dev/zero of="$small/filler" bs=1M 2>/dev/null
    expect_notice "The recording stopped because" 60000
    seen=$notice
    await_save 30000 "$small"
    # It goes on filling the room the recording freed when it stopped: the merged copy
    # cannot be made on the scratch drive any more, only beside the chosen name.
    dd if=/dev/zero of="$small/filler2" bs=1M 2>/dev/null
    type_save 'C:\users\Public\full drive.avi'
    await_player 60000
    close_player
    # Anything more the user is told after the save.
    if info wait Korvane 3000; then expect_notice ""; seen="$seen / $notice"; fi
    saved=("$public/full drive.avi")
    [ -f "$public/full drive.avi.wav" ] && saved+=("$public/full drive.avi.wav")
    measure_saved "${saved[@]}"
    ls "$public" | grep -i merging && fail "the merge's file beside the movie was left behind"
    note_case "(d) full drive" "\"$(echo "$seen" | cut -c1-90)...\"; ${saved[*]##*/}"
    stop_recorder
    rm -f "$public/full drive.avi" "$public/full drive.avi.wav"
    umount -l "$small"
    on_exit=:
else
    echo "SKIP: no tmpfs can be mounted here (needs root); the full-drive case did not run"
fi

echo "== the save dialog cannot be shown; a failed start and a planted description after it"
failing=$work/failing-dialog
mkdir -p "$failing" && cp -r "$programs"/. "$failing/" && cp "$failing_dialog" "$failing/comdlg32.dll"
kept_in=$work/kept
mkdir -p "$kept_in"
small_drive=0
if mount -t tmpfs -o size=48m tmpfs "$kept_in" 2>/dev/null; then
    on_exit='umount -l "$kept_in" 2>/dev/null'
    small_drive=1
fi
kept_scratch="Z:${kept_in//\//\\}"
start_recorder --from "$failing" WINEDLLOVERRIDES=comdlg32=n,b KORVANE_SCRATCH_FOLDER="$kept_scratch" || finish
record_area 150 120 320 240
sleep 3
focus "$main"
stop_recording
expect_notice "The save dialog could not be shown" 30000
seen=$notice
note_recorded "$kept_in"
case $seen in *"offers it again"*) ;; *) fail "the message does not say the recording is offered again" ;; esac
cp -p "$work/mark" "$work/kept-mark"  # record_area moves $work/mark on
kept_files() { find "$kept_in" -maxdepth 1 \( -iname '~temp*.avi' -o -iname '~temp*.wav' \) -newer "$work/kept-mark" | sort; }
kept_sum=$(kept_files | xargs -d '\n' cat | md5sum)
[ "$(kept_files | wc -l)" -ge 2 ] || fail "the kept recording is not in the scratch folder: $(ls "$kept_in")"
krec=$(find "$kept_in" -maxdepth 1 -name '*.krec' | head -n1)
[ -n "$krec" ] || fail "the kept recording has no description to be offered by"
failed_start="not tried (no tmpfs)"
if [ "$small_drive" = 1 ]; then
    # Nothing else fits on the drive now: the next start fails.
    dd if=/dev/zero of="$kept_in/filler" bs=1M 2>/dev/null
    record_area 300 200 100 100
    expect_notice "" 30000
    failed_start=$notice
    rm -f "$kept_in/filler"
    [ "$(kept_files | xargs -d '\n' cat | md5sum)" = "$kept_sum" ] || fail "the failed start changed the kept recording"
fi
stop_recorder
# A description of the same shape naming the user's file in place of the movie and sound.
user_file='C:\users\Public\bystander.avi'
sed_file=${user_file//\\/\\\\}
[ -n "$krec" ] && sed -e "s|^avi=[^\r]*|avi=$sed_file|" -e "s|^wav=[^\r]*|wav=$sed_file|" \
    "$krec" >"$kept_in/planted.avi.krec"
touch "$work/mark"
launch_recorder KORVANE_SCRATCH_FOLDER="$kept_scratch"
offers=""
for _ in 1 2 3; do
    info wait Korvane 60000 || break
    text=$(info texts Korvane | tr '\n' ' ')
    case $text in
    *"cannot be recovered"*) offers="$offers unrecoverable, Yes;"; info command Korvane 6 ;; # delete it
    *"interrupted before it was saved"*) offers="$offers offered, Yes"; info command Korvane 6; break ;;
    *) fail "at the start: '$text'"; info close Korvane ;;
    esac
    info gone Korvane 5000 || true
done
case $offers in *offered*) ;; *) fail "the kept recording was not offered at the next start ($offers)" ;; esac
[ "$(md5sum <"$bystander")" = "$bystander_sum" ] || fail "the planted description's answer changed a file of the user's"
await_save_dialog 60000
rm -f "$public/kept.avi"
save_with_sound kept
main=$(main_handle)
note_case "(h) no dialog" "\"$(echo "$seen" | cut -c1-34)...\"; start failed: \"$(echo "$failed_start" | cut -c1-30)...\"; next start:$offers; kept.avi"
rm -f "$public/kept.avi"
stop_recorder
eval "$on_exit"
on_exit=:

echo "== a second start while recording"
rm -f "$public/second.avi"
start_recorder || finish
record_area 150 120 320 240
sleep 2
(cd "$programs" && exec wine korvane.exe >"$work/second.log" 2>&1) &
second=$!
pids+=($second)
second_ended() { ! kill -0 "$second" 2>/dev/null; }
wait_until 20000 second_ended || fail "the second start is still running"
expect_buttons "0 1 1" "the recording after a second start"
sleep 1
focus "$main"
stop_recording
await_save
save_with_sound second
note_case "(i) 2nd start" "the second start ended, the recording went on; second.avi"
rm -f "$public/second.avi"
stop_recorder

echo "== the sound device lost"
# Records, takes the sound source away as a device pulled out (it comes back later) and
# reads the main window's status line into $line: empty if the window did not answer.
record_and_lose_sound() {
    rm -f "$public/lost sound.avi"
    touch "$work/before-lost-sound"
    start_recorder || finish
    record_area 300 200 100 100
    sleep 2
    on_exit='pactl load-module module-null-sink sink_name=nullsink rate=44100 >/dev/null; pactl set-default-source nullsink.monitor; pactl set-default-sink nullsink'
    pactl unload-module module-null-sink || fail "the sound source could not be removed"
    # The main window says it while the recording goes on.
    line=
    for _ in $(seq 40); do
        line=$(info texts "$main" | grep 'Sound: ') && break
        sleep 0.25
    done
    echo "status: $line"
}
record_and_lose_sound
if [ -z "$line" ]; then
    echo "no status line from $main; the windows and the recorder's threads:"
    info list
    stacks=$(recorder_threads)
    echo "$stacks"
    if wedged_in_libx11 <<<"$stacks"; then
        echo "the recorder is stuck inside Wine's X library: recorded once more by a new recorder"
        discard_stuck_recorder "$work/before-lost-sound"
        eval "$on_exit"
        on_exit=:
        record_and_lose_sound
    fi
fi
case $line in *"the sound device stopped"*) ;; *) fail "the main window says '$line' after the sound device stopped" ;; esac
sleep 2
focus "$main"
stop_recording
expect_notice "The sound device stopped delivering sound"
seen=$notice
eval "$on_exit"
on_exit=:
await_save
save_with_sound 'lost sound'
# The tone is there until the device stopped (after about 2 s).
has_tone "$(tone_rms "$work/sound.wav" trim 0.3 1.2)" || fail "no tone in the sound's first seconds"
note_case "(c) sound lost" "\"$(echo "$line" | cut -c1-40)\", then \"$(echo "$seen" | cut -c1-50)...\"; lost sound.avi"
rm -f "$public/lost sound.avi"
stop_recorder

[ "$(md5sum <"$bystander")" = "$bystander_sum" ] || fail "a file of the user's was changed"
rm -f "$bystander"
echo "== what was recorded and what was saved"
cat "$matrix"
finish
