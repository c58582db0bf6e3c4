#!/usr/bin/env bash
# The hotkeys stay the recorder's: with a window of our own in front that logs every key
# message it gets, F9 (no hotkey) and F8 while idle (nothing to stop) reach it; F7 starts
# a recording (the selection window, a drag, the buttons of a recording), and the window
# logged no F7 at all; F8 stops the recording, which is saved.
#   hotkeys_e2e.sh KEY_LOG_EXE
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh" hotkeys
cp "$1" "$work/"
keys=$work/keys.log
saved="$WINEPREFIX/drive_c/users/Public/hotkeys.avi"
rm -f "$saved"
start_recorder || finish
(cd "$work" && exec wine key_log.exe >"$keys" 2>"$work/key_log.err") &
pids+=($!)
info wait "Key Log" 20000 || { fail "the key log window did not appear"; finish; }
logged() { tr -d '\r' <"$keys" | grep -c "^$1 $2\$"; }  # down|up, vk
has_logged() { [ "$(logged "$1" "$2")" -gt 0 ]; }

echo "== keys the recorder does not act on reach the window in front"
focus "Key Log"
xdotool key F9
wait_until 5000 has_logged up 0x78 || fail "F9 did not reach the window in front"
xdotool key F8
wait_until 5000 has_logged up 0x77 || fail "F8 while idle did not reach the window in front"

echo "== F7 starts a recording, unseen by the window in front; F8 stops it"
focus "Key Log"
xdotool key F7
info wait Title 10000 || fail "F7 did not show the selection window"
sleep 0.3
drag 500 300 699 399
info gone Title 20000 || fail "the selection window stayed after the drag"
expect_buttons "0 1 1" "after F7 and the drag"
# Under Wine the keys reach no window in front once the selection window has gone (not
# even one clicked into), so the Stop key is seen only by the recorder here.
xdotool key F8
if await_save_dialog; then
    type_save 'C:\users\Public\hotkeys.avi'
    await_player
    close_player
fi
[ -f "$saved" ] || fail "the recording was not saved"
[ "$(logged down 0x76)$(logged up 0x76)" = 00 ] || fail "the window in front got F7: $(grep -c . "$keys") key messages"
echo "key messages logged: $(tr -d '\r' <"$keys" | tr '\n' ' ')"
rm -f "$saved"
info close "Key Log" || true
info close "$main" || true
finish
