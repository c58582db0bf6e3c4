#!/usr/bin/env bash
# The player end to end on the Wine desktop, started as the recorder starts it (one
# unquoted command line): no argument ends with 1 and no window; a file that is not a
# movie shows "Imposible abrir video" over a 180-pixel frame with "Reproducir" greyed;
# a Video 1 movie behind a path with spaces opens a frame sized to it (and resized with
# it when it zooms) and plays it once (the picture checked against ffmpeg's decode of
# the same movie); "Detener", "Reproducir" (also from the end, where it starts again)
# and "&Salir" do what they say; an over-long path is a file that cannot be opened; the
# real skin library changes none of this.
# Menu states come from a skin library that reports from inside the player (Wine keeps
# menus per process); windows and sizes from player_probe.exe and wininfo.exe.
# Env: KORVANE_BUILD, KORVANE_DIST, KORVANE_SOURCE, KORVANE_BENCH_DIR (set by CTest).
set -uo pipefail
: "${KORVANE_BUILD:?}" "${KORVANE_DIST:?}" "${KORVANE_SOURCE:?}"
tools=$KORVANE_SOURCE/tools
# shellcheck disable=SC1091
. "$KORVANE_SOURCE/tests/e2e/e2e_wait.sh"
cleanup() {
    local pid
    for pid in $(jobs -p); do kill "$pid" 2>/dev/null; done
    [ -n "${root:-}" ] && rm -rf "$root"
    [ -n "${bench:-}" ] && "$tools/testbench" stop "$bench" >/dev/null 2>&1
}
trap cleanup EXIT INT TERM
if [ -f "${KORVANE_BENCH_DIR:-}/default/env" ]; then
    # shellcheck disable=SC1090,SC1091
    . "$KORVANE_BENCH_DIR/default/env"
else
    bench=e2eplayer$$
    # shellcheck disable=SC1090
    . "$("$tools/testbench" start "$bench" --no-audio)"
fi

# Everything lives under one folder of drive C whose name has spaces.
name="reelpane e2e $$"
root=$WINEPREFIX/drive_c/$name
winroot="C:\\$name"
mkdir -p "$root/program" "$root/movies here"
cp "$KORVANE_DIST/reelpane.exe" "$root/program/"
cp "$KORVANE_BUILD/tests/e2e/playerskin/SkinMagic.dll" "$root/program/"
cp "$KORVANE_BUILD/tests/e2e/player_probe.exe" "$KORVANE_BUILD/tests/e2e/wininfo.exe" "$root/"
player="$winroot\\program\\reelpane.exe"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
probe() { wine "$root/player_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
info() { wine "$root/wininfo.exe" "$@" 2>/dev/null | tr -d '\r'; }
ff() { ffmpeg -nostdin -v error -y "$@"; }
# Starts the player with one command line in the background; its "exit N windows W"
# lands in $root/launch.out.
start_player() {
    rm -f "$root/program/menu.txt" "$root/program/skin-calls.txt" "$root/launch.out"
    probe launch 60000 "$@" >"$root/launch.out" &
    launcher=$!
}
# Waits for the background player to end; sets $out to its "exit N windows W".
player_result() {
    wait "$launcher"
    out=$(cat "$root/launch.out")
}
menu_line() { # id: "greyed text" of that item, from inside the player
    local line
    for _ in $(seq 1 40); do
        line=$(tr -d '\r' <"$root/program/menu.txt" 2>/dev/null |
            awk -F'\t' -v id="$1" '$1==id{print $2 " " $3}')
        [ -n "$line" ] && { echo "$line"; return; }
        sleep 0.1
    done
}
field() { # geometry field name: its two numbers
    probe geometry Player | awk -v k="$1" '{for (i = 1; i < NF; i++) if ($i == k) print $(i+1), $(i+2)}'
}
movie_position() { probe movie Player | awk -F'\t' '{print $2}'; }
position() { answer 10000 movie_position; }
# The states the movie is waited for; each leaves what it saw in its variables.
sized() { # the frame fits the movie window, at least as large as WxH
    geometry=$(probe geometry Player)
    read -r _ _ _ _ cw ch _ mw mh _ ox oy <<<"$geometry"
    [ -n "$mh" ] && [ "$cw $ch" = "$mw $mh" ] && [ "$mw" -ge "$1" ] && [ "$mh" -ge "$2" ]
}
playing() { p1=$(position); sleep 0.6; p2=$(position); [ "$p2" -gt "$p1" ]; }
stopped() { p3=$(position); sleep 0.6; p4=$(position); [ "$p3" = "$p4" ]; }
played_on() { p5=$(position); [ "$p5" -gt "$p4" ]; }
at_rest_at_end() { e1=$(position); sleep 0.8; e2=$(position); trail="$trail $e1>$e2"; [ "$e1" -ge 95 ] && [ "$e1" = "$e2" ]; }
played_again() { r1=$(position); sleep 0.6; r2=$(position); [ "$r1" -lt "$e2" ] && [ "$r2" -gt "$r1" ]; }

echo "== no argument"
out=$(probe launch 20000 "$player")
[ "$out" = "exit 1 windows 0" ] || fail "no argument: '$out', wanted exit code 1 and no window"
[ -e "$root/program/skin-calls.txt" ] && fail "no argument: the skin library was started"

echo "== a file that is not a movie, behind a path with spaces"
echo "this is text, not a movie" >"$root/movies here/not a movie.avi"
start_player "$player" "$winroot\\movies here\\not a movie.avi"
box=$(probe findtext "Imposible abrir video" 20000)
if [ -z "$box" ]; then
    fail "no 'Imposible abrir video' message"
else
    [ "$(cut -f2 <<<"$box")" = "Player" ] || fail "the message is not owned by the Player frame: '$box'"
    empty=$(probe empty)
    frame=$(field frame)
    [ "$frame" = "$empty" ] || fail "frame without a movie is '$frame', wanted the empty size '$empty'"
    [ "$(menu_line 40001)" = "1 Reproducir" ] || fail "Reproducir without a movie: '$(menu_line 40001)'"
    [ "$(menu_line 40002)" = "0 Detener" ] || fail "Detener: '$(menu_line 40002)'"
    [ "$(menu_line 3)" = "0 &Salir" ] || fail "&Salir: '$(menu_line 3)'"
    info command "$(cut -f1 <<<"$box")" 1
    # Both play commands with nothing open must leave the player standing.
    info command Player 40001
    info command Player 40002
    sleep 0.5
    [ "$(field frame)" = "$empty" ] || fail "frame without a movie grew to '$(field frame)'"
    info command Player 3
fi
player_result
[ "${out%% windows*}" = "exit 0" ] || fail "not a movie, then &Salir: '$out'"
calls=$(tr -d '\r' <"$root/program/skin-calls.txt" 2>/dev/null | tr '\n' '|')
want="init program|load $winroot\\program\\xplus.smf|apply Player MainFrame|"
[ "$calls" = "$want" ] || fail "skin calls '$calls', wanted '$want'"

echo "== a Video 1 movie behind a path with spaces"
ff -f lavfi -i testsrc=size=240x136:rate=10:duration=10 -c:v msvideo1 "$root/movies here/my movie.avi"
ff -i "$root/movies here/my movie.avi" -frames:v 1 "$root/frame0.png"
start_player "$player" "$winroot\\movies here\\my movie.avi"
if ! info wait Player 20000; then
    fail "no Player window for the movie"
else
    first=$(position)
    wait_until 10000 sized 240 136 || fail "frame not sized to the movie: $geometry"
    [ "$(menu_line 40001)" = "0 Reproducir" ] || fail "Reproducir with a movie: '$(menu_line 40001)'"
    # Bars and circle edge at the top of the picture stay put while the movie plays.
    import -window root "$root/shot.png"
    convert "$root/shot.png" -crop "240x40+$((ox + 1))+$((oy + 1))" +repage "$root/top.png"
    convert "$root/frame0.png" -crop 240x40+0+0 +repage "$root/top0.png"
    psnr=$(compare -metric PSNR "$root/top.png" "$root/top0.png" null: 2>&1 | cut -d' ' -f1)
    awk -v p="$psnr" 'BEGIN{exit !(p == "inf" || p + 0 >= 20)}' ||
        fail "the picture on screen is not the movie's (PSNR $psnr dB)"
    { [ "${first:-99}" -lt 25 ] && wait_until 5000 playing; } ||
        fail "not playing from the start: positions $first, $p1, $p2"
    info command Player 40002
    wait_until 10000 stopped || fail "Detener did not stop: $p3 then $p4"
    info command Player 40001
    wait_until 10000 played_on || fail "Reproducir did not play on: $p4 then $p5"
    # Played to the end once, the movie stays there and stays open. (Ten seconds long, so
    # that a slow machine still samples it playing above.) Near the end is not at rest:
    # the position must hold still there.
    trail=""
    wait_until 60000 at_rest_at_end || fail "not stopped at the end:$trail"
    [ "$(menu_line 40001)" = "0 Reproducir" ] || fail "Reproducir at the end: '$(menu_line 40001)'"
    info command Player 40001
    wait_until 5000 played_again || fail "Reproducir at the end did not play again: $e2, then $r1, $r2"
    echo "movie: $geometry; PSNR $psnr dB; positions $first $p1 $p2, stop $p3 $p4, play $p5, end$trail, again $r1 $r2"
    # The frame follows the movie window whenever it changes size, not only on opening.
    probe zoom Player 200
    wait_until 10000 sized 480 272 || fail "frame not sized to the zoomed movie: $geometry"
    info command Player 3
fi
player_result
[ "${out%% windows*}" = "exit 0" ] || fail "movie, then &Salir: '$out'"

echo "== a path far longer than the platform's"
long="$winroot\\movies here\\$(printf 'x%.0s' $(seq 1 600)).avi"
start_player "$player" "$long"
box=$(probe findtext "Imposible abrir video" 20000)
if [ -z "$box" ]; then
    fail "over-long path: no 'Imposible abrir video'"
else
    info command "$(cut -f1 <<<"$box")" 1
    [ "$(field frame)" = "$(probe empty)" ] || fail "over-long path: frame '$(field frame)'"
    [ "$(menu_line 40001)" = "1 Reproducir" ] || fail "over-long path: '$(menu_line 40001)'"
    info close Player
fi
player_result
[ "${out%% windows*}" = "exit 0" ] || fail "over-long path, then the close box: '$out'"

echo "== the shipped folder with the real skin library"
cp "$root/movies here/my movie.avi" "$root/movie two.avi"
start_player "$(winepath -w "$KORVANE_DIST/reelpane.exe" 2>/dev/null)" "$winroot\\movie two.avi"
if info wait Player 20000; then
    wait_until 10000 sized 240 136 || fail "real skin: frame not sized to the movie: $geometry"
    info close Player
else
    fail "real skin: no Player window"
fi
player_result
[ "${out%% windows*}" = "exit 0" ] || fail "real skin, then the close box: '$out'"

echo "player end to end: $failures failure(s)"
[ "$failures" -eq 0 ]
