// The options the user confirmed in the options dialog, kept per user in the registry
// (HKCU\Software\Korvane\Options) and restored at the next start. UI thread only.
#pragma once
#include <windows.h>

#include <string>

namespace korvane {

// At start-up, after the settings' start-up values: puts every stored option that passes
// its check into the settings, the saved compressor state and the compressed audio
// format, and rebuilds the three status lines from them. False, changing nothing, when
// nothing is stored (a first start).
bool RestoreRememberedOptions();
// At the options dialog's OK: keeps what the settings now hold.
void RememberOptions();

// The description a video compressor reports of itself, or "" when it cannot be opened.
std::string CompressorDescription(DWORD fourCC);

}  // namespace korvane
