# The options dialog (its hotkey lists and the rules of its OK are in korvane_rules).
target_sources(korvane_recorder PRIVATE options/options_dlg.cpp options/options_store.cpp)
