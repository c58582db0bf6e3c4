#!/bin/bash
# Cross-checks the ZMBV core against FFmpeg, an independent implementation, in every
# pixel format:
#  1. our files decode in FFmpeg exactly as the source (lossless) and as our decoder
#     gives them, with ffprobe seeing our key flags where we asked for them;
#  2. FFmpeg's own ZMBV files decode with ours exactly as FFmpeg decodes them.
# The sources scroll and drag by more than FFmpeg's own search reaches, and their sizes
# are not whole blocks, so vectors, edge blocks and reads outside the picture all occur.
# Usage: zmbv_ffmpeg_check.sh path/to/zmbvavi
set -euo pipefail
ZMBVAVI=$(readlink -f "$1")
command -v ffmpeg >/dev/null || { echo "ffmpeg missing"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ff() { ffmpeg -nostdin -v error -y "$@"; }
W=331 H=253 KEYS=9

# A test card scrolled 11 rows and dragged 5 columns a frame, then a jump of 40 rows
# and 30 columns; and bars behind a moving, changing picture (changes that no vector explains).
ff -f lavfi -i "testsrc=size=480x800:rate=10,crop=$W:$H:'if(lt(n,12),5*n,120-2*n)':'if(lt(n,12),11*n,40*n-300)'" \
   -frames:v 20 -pix_fmt bgr24 -f rawvideo scroll.bgr24
ff -f lavfi -i "smptebars=size=${W}x$H:rate=10" -f lavfi -i "mandelbrot=size=60x40:rate=10" \
   -filter_complex "[0][1]overlay=x='10+9*n':y='20+4*n'" -frames:v 12 -pix_fmt bgr24 -f rawvideo bars.bgr24

fail=0
same() {  # what a b
    if cmp -s "$2" "$3"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi
}
for src in scroll bars; do
    frames=$(( $(stat -c %s $src.bgr24) / (W * H * 3) ))
    raw() { ff -f rawvideo -pix_fmt bgr24 -s ${W}x$H -i $src.bgr24 -f rawvideo -pix_fmt "$1" "$2"; }
    # format: ours, FFmpeg's name for the raw layout, the layout both decoders write
    for spec in bgr0:bgr0:bgr24 bgr24:bgr24:bgr24 rgb565:rgb565le:rgb565le \
                rgb555:rgb555le:rgb555le pal8:bgr24:bgr24; do
        IFS=: read -r ours ffin cmpfmt <<<"$spec"
        raw "$ffin" in.raw
        "$ZMBVAVI" encode $W $H "$ours" $KEYS in.raw our.avi our.dec >/dev/null
        ff -i our.avi -fps_mode passthrough -f rawvideo -pix_fmt "$cmpfmt" our.ffdec
        same "$src $ours: FFmpeg decodes our file as our decoder does" our.dec our.ffdec
        if [ "$ours" != pal8 ]; then  # the palette tool maps colours: not the source
            raw "$cmpfmt" in.cmp
            same "$src $ours: lossless" in.cmp our.ffdec
        fi
        keys=$(ffprobe -v error -select_streams v -show_entries packet=flags -of csv=p=0 our.avi |
               grep -c K || true)
        [ "$keys" -eq $(( (frames + KEYS - 1) / KEYS )) ] ||
            { echo "FAIL: $src $ours: ffprobe saw $keys key frames"; fail=1; }
    done
    for ffpix in bgr0 rgb565le rgb555le pal8; do
        cmpfmt=$ffpix
        [ $ffpix = bgr0 ] || [ $ffpix = pal8 ] && cmpfmt=bgr24
        ff -f rawvideo -pix_fmt bgr24 -s ${W}x$H -r 10 -i $src.bgr24 -pix_fmt $ffpix -c:v zmbv \
           -g $KEYS ff.avi
        ff -i ff.avi -fps_mode passthrough -f rawvideo -pix_fmt $cmpfmt ff.ffdec
        "$ZMBVAVI" decode ff.avi ff.dec
        same "$src $ffpix: FFmpeg's file decodes in ours as in FFmpeg" ff.dec ff.ffdec
    done
done
exit $fail
