// The 69 keys the two hotkey lists offer: list index <-> virtual-key code, and the text
// each list shows. Pure; any thread.
#pragma once

constexpr int kHotkeyCount = 69;

// Virtual-key code of list entry `index`; 0 outside the list.
int ComboIndexToKey(int index);
// List entry of virtual-key code `key`; 0 ("F1") for a key the list does not offer.
int KeyToComboIndex(int key);

// The text of entry `index` (0 to 68) in the Record/Pause list or the Stop/Cancel list.
// They differ only in the last entry: "TAB " with a trailing space in the Record/Pause
// list, "TAB" in the other; the status line shows whichever is selected.
const char* RecordPauseKeyText(int index);
const char* StopKeyText(int index);
