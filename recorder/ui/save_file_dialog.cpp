// The modal save dialog (see save_file_dialog.h). UI thread only.
#include "ui/save_file_dialog.h"

#include <commdlg.h>

#include <vector>

namespace korvane {

std::string FilterToNulSeparated(const std::string& filter)
{
    std::string out = filter;
    for (char& c : out)
        if (c == '|')
            c = '\0';
    // Always end in two NULs, however the text ended.
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

bool RunSaveFileDialog(const SaveFileDialogSettings& settings, std::string& chosenPath,
                       unsigned long* failure)
{
    // Room for the longest path the dialog may return with long names.
    std::vector<char> file(32768, '\0');
    settings.initialName.copy(file.data(), file.size() - 1);
    const std::string filter = FilterToNulSeparated(settings.filter);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = settings.owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = settings.initialFolder.empty() ? nullptr : settings.initialFolder.c_str();
    ofn.lpstrTitle = settings.title.empty() ? nullptr : settings.title.c_str();
    ofn.lpstrDefExt =
        settings.defaultExtension.empty() ? nullptr : settings.defaultExtension.c_str();
    ofn.Flags = settings.flags | OFN_EXPLORER;
    if (!GetSaveFileNameA(&ofn)) {
        if (failure)
            *failure = CommDlgExtendedError();
        return false;
    }
    chosenPath.assign(file.data());
    return true;
}

}  // namespace korvane
