#!/usr/bin/env bash
# The lossless codec chosen as a user would: Options, "Korvane Lossless Screen (ZMBV)" in
# the compressor list, OK; a screen of distinct 8x8 blocks, a tone into the microphone,
# F7 and a drag from (600,500) to (799,599), about 3 s, F8, saved. The movie must be ZMBV,
# 200x100, with sound, play in the player, and its last frame and the frames a player
# seeks to must be the screenshot of those pixels exactly. Restarted, the recorder still
# has the lossless codec chosen.
#   lossless_e2e.sh DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" lossless
cp "$1" "$work/"
LOSSLESS="Korvane Lossless Screen (ZMBV)"
saved="$WINEPREFIX/drive_c/users/Public/lossless.avi"
x=600 y=500 w=200 h=100

rm -f "$saved"
(cd "$work" && exec wine dpi_pattern.exe >"$work/pattern.log" 2>&1) &
pids+=($!)
info wait Pattern 20000 || { fail "the pattern did not appear"; finish; }
start_recorder || finish
play_tone 60

echo "== Options: the lossless codec"
focus "$main"
open_options || finish
# The first compressor whose description begins with K; Return closes the list if it
# dropped down, else it is the dialog's OK.
click "$OPTIONS" 1009 && xdotool key K
shows_lossless() { [ "$(control text "$OPTIONS" 1009)" = "$LOSSLESS" ]; }
wait_until 2000 shows_lossless ||
    fail "the compressor list shows '$(control text "$OPTIONS" 1009)', wanted '$LOSSLESS'"
xdotool key Return
sleep 0.5
info wait "$OPTIONS" 200 && click "$OPTIONS" 1
info gone "$OPTIONS" 3000 || fail "OK did not close the options dialog"

echo "== record and save"
record_area $x $y $((x + w - 1)) $((y + h - 1))
sleep 1.5
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
sleep 1.5
stop_and_save 'C:\users\Public\lossless.avi'

echo "== the saved movie"
if [ -f "$saved" ]; then
    v=$(probe "$saved" v:0 codec_name,width,height)
    [ "$v" = "zmbv,$w,$h" ] || fail "the movie is '$v', wanted zmbv,$w,$h"
    decode_sound "$saved" "$work/sound.wav" >/dev/null
    rms=$(tone_rms "$work/sound.wav")
    has_tone "$rms" || fail "no 440 Hz tone in the sound (RMS $rms)"
    ffmpeg -v error -i "$work/shot.png" -f rawvideo -pix_fmt rgb24 -y "$work/shot.rgb"
    # A frame decoded after seeking (ffmpeg -ss ARGS), byte for byte against the screenshot.
    # Near the end, where the sound has ended, FFmpeg may start reading some frames after
    # a key frame and complains of each frame it drops until the next one: not our fault.
    same() {
        ffmpeg -v fatal "$@" -i "$saved" -frames:v 1 -f rawvideo -pix_fmt rgb24 -y "$work/frame.rgb" &&
            cmp -s "$work/frame.rgb" "$work/shot.rgb"
    }
    same -sseof -0.5 || fail "the last frame is not the screenshot"
    for at in 0.5 1.5 2.5; do
        same -ss $at || fail "the frame after a seek to $at s is not the screenshot"
    done
    echo "movie: $v, tone RMS $rms"
    cp "$saved" "$work/"
else
    fail "nothing saved at $saved"
fi
close_player
info close "$main" || true
info gone "$MAIN" 5000 || fail "the recorder did not close"

echo "== restarted: the lossless codec still chosen"
start_recorder || finish
focus "$main"
open_options || finish
got=$(control text "$OPTIONS" 1009)
[ "$got" = "$LOSSLESS" ] || fail "after a restart the compressor list shows '$got'"
info close "$OPTIONS" || true
info gone "$OPTIONS" 3000 || true
rm -f "$saved"
info close "$main" || true
info close Pattern || true
finish
