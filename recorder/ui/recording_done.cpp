// CKorvaneDlg::OnRecordingDone: turns a finished recording's temporary files into the
// user's file (save dialog, merge with the progress dialog, copies) and starts the player
// on it. UI thread only; the merge blocks it except for its progress pumping.
#include "korvane_dlg.h"

#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio/audio_merge.h"
#include "audio/audio_state.h"
#include "audio/progress_dialog.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "finish_plan.h"
#include "recovery_offer.h"
#include "save_file_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

namespace {

class RealFileOps : public korvane::FinishFileOps {
public:
    bool Copy(const std::string& from, const std::string& to) override
    {
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
    }
    bool Delete(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
};

void AskSaveAgain() { PostMessageA(mainWindow, WM_USER_GENERIC_MSG, 0, 0); }

}  // namespace

LRESULT CKorvaneDlg::OnRecordingDone(WPARAM, LPARAM)
{
    m_workerRunning = false;
    m_finishing = true;
    ShowButtons();
    // Asked again: the state holds until the re-posted message has its answer.
    if (SaveRecording()) {
        EndFinishing();
        RecordingFinished();
    }
    return 0;
}

// False when the save is to be asked again.
bool CKorvaneDlg::SaveRecording()
{
    BringToFront();
    if (lastSaveFolder.empty())
        lastSaveFolder = GetExeFolder();

    korvane::SaveFileDialogSettings dialog;
    dialog.owner = Hwnd();
    dialog.title = "Save to...";
    dialog.initialFolder = lastSaveFolder;
    dialog.initialName = "*.avi";
    // The dialog appends at most three characters, so the extension alone is given.
    dialog.defaultExtension = "avi";
    dialog.filter = "AVI Movie Files (*.avi)|*.avi||";
    dialog.flags = OFN_LONGNAMES;

    std::string savePath;
    if (!korvane::RunSaveFileDialog(dialog, savePath)) {
        DeleteFileA(tempAviPath.c_str());
        if (settings.recordAudio) {
            DeleteFileA(tempWavPath.c_str());
            DeleteFileA(mergedAviPath.c_str());
        }
        return true;
    }
    lastSaveFolder = korvane::FolderOf(savePath);

    RealFileOps ops;
    korvane::FinishPaths paths{tempAviPath, tempWavPath, std::string(), savePath};
    if (!settings.recordAudio) {
        if (!korvane::FinishWithoutAudio(paths, ops)) {
            AskSaveAgain();
            return false;
        }
    } else {
        if (!CanCreateFile(savePath)) {
            AskSaveAgain();
            return false;
        }
        HWND progressWindow = m_pProgressDlg ? m_pProgressDlg->Hwnd() : nullptr;
        if (progressWindow) {
            SendMessageA(m_pProgressDlg->m_progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
            SendMessageA(m_pProgressDlg->m_progress, PBM_SETPOS, 0, 0);
            ShowWindow(progressWindow, SW_SHOW);
        }
        // The merge writes over the empty file the recording reserved for it.
        paths.mergedAvi = mergedAviPath;
        const korvane::MergeResult result =
            mergedAviPath.empty()
                ? korvane::SaveFailed
                : MuxAudioIntoAvi(tempAviPath, tempWavPath, mergedAviPath, settings.compressAudio,
                                  compressFormat, static_cast<int>(compressFormatSize), 1, 100, 0);
        const korvane::FinishOutcome outcome = korvane::FinishAfterMerge(result, paths, ops);
        if (progressWindow)
            ShowWindow(progressWindow, SW_HIDE);
        if (!outcome.startPlayer) {
            if (!outcome.keptInScratch.empty())
                MessageBoxA(Hwnd(), korvane::KeptInScratchMessage(outcome.keptInScratch).c_str(),
                            "Korvane", MB_OK | MB_ICONWARNING);
            return true;
        }
    }

    m_lastSavedFile = savePath;
    const std::string command = korvane::PlayerCommandLine(GetExeFolder(), savePath);
    WinExec(command.c_str(), SW_SHOW);
    return true;
}
