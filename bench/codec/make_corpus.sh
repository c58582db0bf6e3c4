#!/bin/bash
# Makes the codec benchmark corpus: short frame sequences of screen-like content at
# 640x480 and 1280x720, as raw top-down bgr24 files NAME_WxH.bgr24 in OUTDIR; the screen
# sequences also at 1920x1080, composed from the 1280x720 ones (see the end).
#   text     Wine Notepad: a document opened, text typed, then paged down
#   chrome   Wine's configuration dialog dragged across the desktop over Notepad
#   photo    a photograph with a dialog window moving over it
#   gradient an animated gradient with a text window sliding down over it
# Needs the test bench (Xvfb, Wine), ffmpeg and xdotool; the photograph comes from the
# Debian package lomiri-wallpapers-20.04, installed when missing.
# Usage: make_corpus.sh OUTDIR
set -euo pipefail
out=$(mkdir -p "$1" && cd "$1" && pwd)
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
photo=/usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg
if [ ! -f "$photo" ]; then
    apt-get install -y -qq lomiri-wallpapers-20.04 >/dev/null
fi
export KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR:-$out/bench}
name=corpus$$
env_file=$(KORVANE_CODEC_DLL=/nonexistent "$repo/tools/testbench" start $name --size 1280x720 --no-audio | tail -n1)
trap '"$repo/tools/testbench" stop $name >/dev/null 2>&1 || true' EXIT
# shellcheck disable=SC1090
. "$env_file"
ff() { ffmpeg -nostdin -v error -y "$@"; }
tmp=$out/tmp
rm -rf "$tmp" && mkdir -p "$tmp"

# One screenshot, appended to NAME_1280x720 and (its top-left part) NAME_640x480.
grab() {
    sleep 0.4
    ff -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 "$tmp/shot.png"
    ff -i "$tmp/shot.png" -pix_fmt bgr24 -f rawvideo - >>"$out/$1_1280x720.bgr24"
    ff -i "$tmp/shot.png" -vf crop=640:480:0:0 -pix_fmt bgr24 -f rawvideo - >>"$out/$1_640x480.bgr24"
}
wait_window() {  # title -> window id
    local id="" i
    for i in $(seq 1 60); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.5
    done
    [ -n "$id" ] || { echo "no window '$1'" >&2; exit 1; }
    echo "$id"
}
rm -f "$out"/*.bgr24

# text: a real document, typing, paging.
cp /usr/share/common-licenses/GPL-3 "$WINEPREFIX/drive_c/gpl.txt"
wine notepad 'C:\gpl.txt' >/dev/null 2>&1 &
np=$(wait_window "gpl.txt - Notepad")
xdotool windowsize "$np" 900 640 windowmove "$np" 0 0
sleep 1
xdotool windowactivate --sync "$np" 2>/dev/null || xdotool windowfocus "$np"
xdotool key ctrl+Home
grab text
for word in "Korvane " "records " "the screen " "into " "an AVI file. "; do
    xdotool type --delay 30 "$word"
    grab text
done
for i in 1 2 3 4 5 6; do
    xdotool key Page_Down
    grab text
done
for i in 1 2 3; do
    xdotool key Down Down Down
    grab text
done

# chrome: a dialog dragged over the desktop and the editor.
wine winecfg >/dev/null 2>&1 &
cfg=$(wait_window "Wine configuration")
sleep 1
for i in $(seq 0 11); do
    xdotool windowmove "$cfg" $((40 + 60 * i)) $((20 + 15 * i))
    grab chrome
done
# A still of the dialog for the composed sequences.
xdotool windowmove "$cfg" 600 150
sleep 0.5
ff -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 -vf crop=483:471:600:150 "$tmp/dialog.png"
ff -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 -vf crop=600:400:0:0 "$tmp/editor.png"

# photo and gradient, composed from the captured windows.
for size in 640x480 1280x720; do
    w=${size%x*} h=${size#*x}
    ff -loop 1 -i "$photo" -loop 1 -i "$tmp/dialog.png" -filter_complex \
        "[0]scale=$w:$h:force_original_aspect_ratio=increase,crop=$w:$h[bg];[bg][1]overlay=x='20+25*n':y='10+8*n'" \
        -frames:v 12 -pix_fmt bgr24 -f rawvideo "$out/photo_$size.bgr24"
    ff -f lavfi -i "gradients=s=$size:speed=0.02:n=3:seed=7" -loop 1 -i "$tmp/editor.png" \
        -filter_complex "[0][1]overlay=x=$((w / 8)):y='-200+20*n'" \
        -frames:v 12 -pix_fmt bgr24 -f rawvideo "$out/gradient_$size.bgr24"
done
# 1920x1080 screen sequences without a second capture: each 1280x720 frame with its left
# half beside it and the top half of that below, so 2.25 times the picture with the same
# kind of changes in the same share of it.
for seq in text chrome; do
    ff -f rawvideo -pix_fmt bgr24 -s 1280x720 -i "$out/${seq}_1280x720.bgr24" -filter_complex \
        "[0]split[a][b];[b]crop=640:720:0:0[r];[a][r]hstack,split[t][u];[u]crop=1920:360:0:0[d];[t][d]vstack" \
        -pix_fmt bgr24 -f rawvideo "$out/${seq}_1920x1080.bgr24"
done
rm -rf "$tmp"
ls -la "$out"/*.bgr24
