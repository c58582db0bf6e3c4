// The hotkey lists' key table (pure).
#include "hotkey_keys.h"

#include <windows.h>

namespace {

struct KeyEntry {
    const char* text;
    int key;
};

constexpr KeyEntry kKeys[kHotkeyCount] = {
    {"F1", VK_F1}, {"F2", VK_F2}, {"F3", VK_F3}, {"F4", VK_F4}, {"F5", VK_F5},
    {"F6", VK_F6}, {"F7", VK_F7}, {"F8", VK_F8}, {"F9", VK_F9}, {"F10", VK_F10},
    {"F11", VK_F11}, {"F12", VK_F12},
    {"A", 'A'}, {"B", 'B'}, {"C", 'C'}, {"D", 'D'}, {"E", 'E'}, {"F", 'F'}, {"G", 'G'},
    {"H", 'H'}, {"I", 'I'}, {"J", 'J'}, {"K", 'K'}, {"L", 'L'}, {"M", 'M'}, {"N", 'N'},
    {"O", 'O'}, {"P", 'P'}, {"Q", 'Q'}, {"R", 'R'}, {"S", 'S'}, {"T", 'T'}, {"U", 'U'},
    {"V", 'V'}, {"W", 'W'}, {"X", 'X'}, {"Y", 'Y'}, {"Z", 'Z'},
    {"1", '1'}, {"2", '2'}, {"3", '3'}, {"4", '4'}, {"5", '5'}, {"6", '6'}, {"7", '7'},
    {"8", '8'}, {"9", '9'}, {"0", '0'},
    {"NUMPAD0", VK_NUMPAD0}, {"NUMPAD1", VK_NUMPAD1}, {"NUMPAD2", VK_NUMPAD2},
    {"NUMPAD3", VK_NUMPAD3}, {"NUMPAD4", VK_NUMPAD4}, {"NUMPAD5", VK_NUMPAD5},
    {"NUMPAD6", VK_NUMPAD6}, {"NUMPAD7", VK_NUMPAD7}, {"NUMPAD8", VK_NUMPAD8},
    {"NUMPAD9", VK_NUMPAD9},
    {"ALT", VK_MENU}, {"SHIFT", VK_SHIFT}, {"CONTROL", VK_CONTROL}, {"ESCAPE", VK_ESCAPE},
    {"HOME", VK_HOME}, {"INSERT", VK_INSERT}, {"DELETE", VK_DELETE}, {"END", VK_END},
    {"ENTER", VK_RETURN}, {"SPACE", VK_SPACE}, {"TAB", VK_TAB},
};

bool InList(int index) { return index >= 0 && index < kHotkeyCount; }

}  // namespace

int ComboIndexToKey(int index) { return InList(index) ? kKeys[index].key : 0; }

int KeyToComboIndex(int key)
{
    for (int i = 0; i < kHotkeyCount; ++i) {
        if (kKeys[i].key == key)
            return i;
    }
    return 0;
}

const char* RecordPauseKeyText(int index)
{
    if (index == kHotkeyCount - 1)
        return "TAB ";
    return StopKeyText(index);
}

const char* StopKeyText(int index) { return InList(index) ? kKeys[index].text : ""; }
