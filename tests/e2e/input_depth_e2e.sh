#!/usr/bin/env bash
# A Video 1 compressor that takes 16-bit RGB555 frames only, as the system's own may, is
# the registered vidc.MSVC (rgb555.dll, over our codec). On the 32-bit screen: a tone, F7
# and a drag over a pattern of 8x8 colour blocks from (600,500) to (799,599), about 3 s,
# F8, saved through the dialog. The movie is msvideo1, 200x100, 16 bits, with the tone;
# its last frame is the screenshot of those pixels within Video 1's loss; the player
# shows it.
#   input_depth_e2e.sh RGB555_DLL DPI_PATTERN_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" depth
drivers='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
"$tools/install-codec" --prefix "$WINEPREFIX" "$1" >/dev/null || fail "could not register $1"
registered=$(wine reg query "$drivers" /v vidc.MSVC 2>/dev/null | tr -d '\r' | awk 'NF{v=$NF} END{print v}')
[ "$registered" = rgb555.dll ] || { fail "vidc.MSVC is '$registered', wanted rgb555.dll"; finish; }
cp "$2" "$work/"
saved="$WINEPREFIX/drive_c/users/Public/depth16.avi"
x=600 y=500 w=200 h=100

rm -f "$saved"
(cd "$work" && exec wine dpi_pattern.exe >"$work/pattern.log" 2>&1) &
pids+=($!)
info wait Pattern 20000 || { fail "the pattern did not appear"; finish; }
start_recorder || finish
play_tone 60

echo "== record and save"
record_area $x $y $((x + w - 1)) $((y + h - 1))
sleep 1.5
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
sleep 1.5
stop_and_save 'C:\users\Public\depth16.avi'

echo "== the saved movie"
if [ -f "$saved" ]; then
    # FFmpeg decodes 16-bit Video 1 to rgb555le (8-bit to pal8), as the stream format's
    # biBitCount says.
    v=$(probe "$saved" v:0 codec_name,width,height,pix_fmt)
    [ "$v" = "msvideo1,$w,$h,rgb555le" ] || fail "the movie is '$v', wanted msvideo1,$w,$h,rgb555le"
    bits=$(python3 -c 'import sys, struct; d = open(sys.argv[1], "rb").read(65536); i = d.find(b"strf")
print(struct.unpack_from("<H", d, i + 8 + 14)[0] if i >= 0 else 0)' "$saved")
    [ "$bits" = 16 ] || fail "the stream format says $bits bits, wanted 16"
    decode_sound "$saved" "$work/sound.wav" >/dev/null
    rms=$(tone_rms "$work/sound.wav")
    has_tone "$rms" || fail "no 440 Hz tone in the sound (RMS $rms)"
    # Colours swapped, rows upside down or a wrong depth would leave little likeness.
    ffmpeg -v error -sseof -0.5 -i "$saved" -frames:v 1 -y "$work/last.png"
    psnr=$(ffmpeg -v info -i "$work/last.png" -i "$work/shot.png" -lavfi psnr -f null - 2>&1 |
        sed -n 's/.*average:\([0-9.inf]*\).*/\1/p' | tail -n1)
    [ "$psnr" = inf ] || awk -v p="${psnr:-0}" 'BEGIN{exit !(p > 30)}' ||
        fail "the last frame is not the screenshot (PSNR '${psnr}' dB, wanted over 30)"
    echo "movie: $v, $bits bits, tone RMS $rms, last frame PSNR $psnr dB"
    cp "$saved" "$work/"
else
    fail "nothing saved at $saved"
fi
close_player
rm -f "$saved"
info close "$main" || true
info close Pattern || true
finish
