#!/usr/bin/env bash
# The win64 installer, silent, in a bench of its own (tools/with-bench), twice:
# 1. No Video 1 or ZMBV compressor registered: the recorder, asked to record, says so and
#    starts nothing. The installer puts the files under Program Files, a Start menu entry,
#    the uninstall key, and both our codecs in system32 with their Drivers32 values; the
#    installed recorder starts and closes. The silent uninstall leaves nothing of ours.
# 2. Both codecs registered beforehand: install and uninstall leave their files and their
#    values exactly as they were. While a recorder runs, neither the installer nor the
#    uninstaller touches a file: silent, they end with exit code 2.
#   install_e2e.sh INSTALLER VERSION
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" install
installer=$1
version=$2
files=(korvane.exe reelpane.exe hook.dll hookkey.dll SkinMagic.dll kvmsvc.dll kvzmbv.dll xplus.smf
       README.txt LICENSE.txt)
c=$WINEPREFIX/drive_c
folder="$c/Program Files/Korvane"
# The 32-bit installer names its entries apart from the 64-bit one's.
name=Korvane
[ "${KORVANE_WINEARCH:-win64}" = win32 ] && name="Korvane (32-bit)"
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/$name.lnk"
codec=$c/windows/system32/kvmsvc.dll
lossless=$c/windows/system32/kvzmbv.dll
drivers='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane'
# The data of value NAME under KEY, or nothing when it is not there.
reg_value() { # key, name
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v n="$2" 'tolower($1) == tolower(n) { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
has_key() { wine reg query "$1" >/dev/null 2>&1; }

install() {
    wine "$installer" /S >"$work/install.log" 2>&1 || fail "the installer failed ($?)"
}
uninstall() {
    [ -f "$folder/uninstall.exe" ] || { fail "no uninstall.exe"; return; }
    wine "$folder/uninstall.exe" /S >"$work/uninstall.log" 2>&1 || fail "the uninstaller failed"
    # It runs on from a copy of itself; it is done when its folder is gone.
    for _ in $(seq 1 100); do [ -e "$folder" ] || break; sleep 0.2; done
}
recorder_runs() { # program: starts, shows its main window, closes on request
    (exec wine "$1" >>"$work/korvane.log" 2>&1) &
    local pid=$!
    info wait "$MAIN" 20000 || { fail "$1: no main window"; kill $pid; return 1; }
    sleep 0.5
}
close_recorder() {
    info close "$MAIN" || true
    info gone "$MAIN" 5000 || fail "the recorder did not close"
    wait
}

echo "== 1. no Video 1 compressor registered"
for v in vidc.MSVC vidc.ZMBV; do wine reg delete "$drivers" /v $v /f >/dev/null 2>&1; done
rm -f "$codec" "$lossless"
recorder_runs "$KORVANE_DIST/korvane.exe"
info command "$MAIN" 1000
if info wait Korvane 5000; then
    info texts Korvane | grep -q "No Microsoft Video 1 compressor is available" ||
        fail "the message says: $(info texts Korvane | tr '\n' ' ')"
    info command Korvane 1
    info gone Korvane 3000 || fail "the message stayed"
else
    fail "Record without a compressor said nothing"
fi
info wait Title 1000 && fail "Record without a compressor still showed the selection window"
close_recorder

install
for f in "${files[@]}" uninstall.exe; do [ -f "$folder/$f" ] || fail "not installed: $f"; done
cmp -s "$folder/korvane.exe" "$KORVANE_DIST/korvane.exe" || fail "installed korvane.exe differs from the build's"
[ -f "$shortcut" ] || fail "no Start menu entry"
[ "$(reg_value "$uninst" DisplayName)" = "$name" ] || fail "uninstall key: DisplayName '$(reg_value "$uninst" DisplayName)'"
[ "$(reg_value "$uninst" DisplayVersion)" = "$version" ] || fail "uninstall key: DisplayVersion '$(reg_value "$uninst" DisplayVersion)'"
[ "$(reg_value "$uninst" UninstallString)" = '"C:\Program Files\Korvane\uninstall.exe"' ] ||
    fail "uninstall key: UninstallString '$(reg_value "$uninst" UninstallString)'"
[ "$(reg_value "$drivers" vidc.MSVC)" = kvmsvc.dll ] || fail "codec not registered: '$(reg_value "$drivers" vidc.MSVC)'"
cmp -s "$codec" "$KORVANE_DIST/kvmsvc.dll" || fail "codec not installed in system32"
[ "$(reg_value "$drivers" vidc.ZMBV)" = kvzmbv.dll ] || fail "ZMBV codec not registered: '$(reg_value "$drivers" vidc.ZMBV)'"
cmp -s "$lossless" "$KORVANE_DIST/kvzmbv.dll" || fail "ZMBV codec not installed in system32"
recorder_runs 'C:\Program Files\Korvane\korvane.exe'
# With the codec it installed, Record goes on to the selection window.
info command "$MAIN" 1000
if info wait Title 5000; then
    xdotool mousemove 500 400 click 3
    info gone Title 3000 || fail "a right click did not cancel the selection"
else
    fail "the installed recorder did not start a selection"
fi
close_recorder
uninstall
[ -e "$folder" ] && fail "left after uninstall: $(ls "$folder" | tr '\n' ' ')"
[ -e "$shortcut" ] && fail "Start menu entry left"
has_key "$uninst" && fail "uninstall key left"
[ -n "$(reg_value "$drivers" vidc.MSVC)" ] && fail "codec registration left"
[ -e "$codec" ] && fail "codec file left in system32"
[ -n "$(reg_value "$drivers" vidc.ZMBV)" ] && fail "ZMBV codec registration left"
[ -e "$lossless" ] && fail "ZMBV codec file left in system32"
has_key 'HKCU\Software\Korvane' && fail "remembered options left"

echo "== 2. both codecs registered beforehand"
declare -A before
for dll in kvmsvc.dll kvzmbv.dll; do
    DISPLAY= "$tools/install-codec" --prefix "$WINEPREFIX" "$KORVANE_DIST/$dll" >/dev/null
    touch -d '2001-02-03 04:05:06' "$c/windows/system32/$dll"
    before[$dll]=$(stat -c '%s %Y' "$c/windows/system32/$dll")
done
# Each codec's value and file as they were; $1 says after what.
codecs_untouched() {
    local value dll
    for value in vidc.MSVC:kvmsvc.dll vidc.ZMBV:kvzmbv.dll; do
        dll=${value#*:} value=${value%%:*}
        [ "$(reg_value "$drivers" "$value")" = "$dll" ] || fail "$1 changed the registration of $dll"
        [ "$(stat -c '%s %Y' "$c/windows/system32/$dll" 2>/dev/null)" = "${before[$dll]}" ] ||
            fail "$1 touched $dll"
    done
}
recorder_runs "$KORVANE_DIST/korvane.exe"
wine "$installer" /S >"$work/install-running.log" 2>&1
rc=$?
[ $rc = 2 ] || fail "the installer beside a running recorder ended with $rc, wanted 2"
[ -e "$folder" ] && fail "the installer beside a running recorder installed files"
close_recorder
install
recorder_runs 'C:\Program Files\Korvane\korvane.exe'
# In place (_?=, which must stand unquoted at the end), so that its exit code is its own.
printf '%s\r\n' '@"C:\Program Files\Korvane\uninstall.exe" /S _?=C:\Program Files\Korvane' \
    '@exit /b %errorlevel%' >"$work/uninstall-here.bat"
wine cmd /c "$work/uninstall-here.bat" >"$work/uninstall-running.log" 2>&1
rc=$?
[ $rc = 2 ] || fail "the uninstaller beside a running recorder ended with $rc, wanted 2"
cmp -s "$folder/korvane.exe" "$KORVANE_DIST/korvane.exe" || fail "the uninstaller removed files of a running recorder"
close_recorder
codecs_untouched "the installer"
for mark in KorvaneCodecRegistered KorvaneZmbvRegistered; do
    [ -n "$(reg_value "$uninst" $mark)" ] && fail "the installer claims a codec ($mark)"
done
uninstall
[ -e "$folder" ] && fail "left after uninstall: $(ls "$folder" | tr '\n' ' ')"
codecs_untouched "the uninstaller"
finish
