// Settings that tests and benches give the recorder through its environment
// (KORVANE_PART_BYTES, KORVANE_SOUND_BYTES, ...). Any thread.
#pragma once
#include <string>

// The process environment's value of `name` (not the C runtime's copy, which misses later
// changes); empty when unset or longer than a setting of ours may be.
std::string EnvironmentSetting(const char* name);
