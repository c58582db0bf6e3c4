// A thin modal "save as" dialog over GetSaveFileNameA, for the main window's finishing of
// a recording. UI thread only.
#pragma once
#include <windows.h>

#include <string>

namespace korvane {

struct SaveFileDialogSettings {
    HWND owner = nullptr;
    std::string title;
    std::string initialFolder;
    std::string initialName;
    std::string defaultExtension;  // without the dot
    std::string filter;            // "Label|pattern|...|" form, '|' for the separators
    DWORD flags = 0;
};

// Runs the dialog; true with the chosen full path, false when cancelled or failed. On
// false, `failure` gets the dialog's error code: 0 when the user cancelled.
bool RunSaveFileDialog(const SaveFileDialogSettings& settings, std::string& chosenPath,
                       unsigned long* failure = nullptr);

// The '|' separated filter made into the NUL separated, double-NUL ended form.
std::string FilterToNulSeparated(const std::string& filter);

}  // namespace korvane
