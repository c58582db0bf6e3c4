// The hotkey lists' key table (pure).
#include "hotkey_keys.h"

namespace {

// Windows virtual-key codes of the keys other than letters and digits, whose codes are
// their upper-case characters.
enum : int {
    VkTab = 0x09,
    VkReturn = 0x0D,
    VkShift = 0x10,
    VkControl = 0x11,
    VkMenu = 0x12,
    VkEscape = 0x1B,
    VkSpace = 0x20,
    VkEnd = 0x23,
    VkHome = 0x24,
    VkInsert = 0x2D,
    VkDelete = 0x2E,
    VkNumpad0 = 0x60,
    VkF1 = 0x70,
};

struct KeyEntry {
    const char* text;
    int key;
};

constexpr KeyEntry kKeys[kHotkeyCount] = {
    {"F1", VkF1},
    {"F2", VkF1 + 1},
    {"F3", VkF1 + 2},
    {"F4", VkF1 + 3},
    {"F5", VkF1 + 4},
    {"F6", VkF1 + 5},
    {"F7", VkF1 + 6},
    {"F8", VkF1 + 7},
    {"F9", VkF1 + 8},
    {"F10", VkF1 + 9},
    {"F11", VkF1 + 10},
    {"F12", VkF1 + 11},
    {"A", 'A'},
    {"B", 'B'},
    {"C", 'C'},
    {"D", 'D'},
    {"E", 'E'},
    {"F", 'F'},
    {"G", 'G'},
    {"H", 'H'},
    {"I", 'I'},
    {"J", 'J'},
    {"K", 'K'},
    {"L", 'L'},
    {"M", 'M'},
    {"N", 'N'},
    {"O", 'O'},
    {"P", 'P'},
    {"Q", 'Q'},
    {"R", 'R'},
    {"S", 'S'},
    {"T", 'T'},
    {"U", 'U'},
    {"V", 'V'},
    {"W", 'W'},
    {"X", 'X'},
    {"Y", 'Y'},
    {"Z", 'Z'},
    {"1", '1'},
    {"2", '2'},
    {"3", '3'},
    {"4", '4'},
    {"5", '5'},
    {"6", '6'},
    {"7", '7'},
    {"8", '8'},
    {"9", '9'},
    {"0", '0'},
    {"NUMPAD0", VkNumpad0},
    {"NUMPAD1", VkNumpad0 + 1},
    {"NUMPAD2", VkNumpad0 + 2},
    {"NUMPAD3", VkNumpad0 + 3},
    {"NUMPAD4", VkNumpad0 + 4},
    {"NUMPAD5", VkNumpad0 + 5},
    {"NUMPAD6", VkNumpad0 + 6},
    {"NUMPAD7", VkNumpad0 + 7},
    {"NUMPAD8", VkNumpad0 + 8},
    {"NUMPAD9", VkNumpad0 + 9},
    {"ALT", VkMenu},
    {"SHIFT", VkShift},
    {"CONTROL", VkControl},
    {"ESCAPE", VkEscape},
    {"HOME", VkHome},
    {"INSERT", VkInsert},
    {"DELETE", VkDelete},
    {"END", VkEnd},
    {"ENTER", VkReturn},
    {"SPACE", VkSpace},
    {"TAB", VkTab},
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
