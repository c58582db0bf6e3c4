# The options dialog, its hotkey lists and the rules of its OK.
target_sources(korvane_recorder PRIVATE
    options/hotkey_keys.cpp options/options_rules.cpp options/options_dlg.cpp)
