// CKorvaneDlg::OnRecordingDone: turns a finished recording's temporary files into the
// user's files (save dialog, merge with the progress dialog, copies) and starts the player
// on the first. A recording in several parts is saved as "name.avi", "name (2).avi", ...
// UI thread only; the merge blocks it except for its progress pumping.
#include "korvane_dlg.h"

#include "app/recording_limits.h"
#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "app/scratch_paths.h"
#include "audio/audio_merge.h"
#include "audio/audio_state.h"
#include "audio/merge_check.h"
#include "audio/progress_dialog.h"
#include "audio/sound_split.h"
#include "finish_plan.h"
#include "recovery_offer.h"
#include "save_file_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

namespace {

const char kCaption[] = "Korvane";

class RealFileOps : public korvane::FinishFileOps {
public:
    bool Copy(const std::string& from, const std::string& to) override
    {
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
            m_error = GetLastError();
            return false;
        }
        // A full disk may leave a short copy behind a reported success.
        if (SizeOf(from) != SizeOf(to)) {
            DeleteFileA(to.c_str());
            m_error = ERROR_DISK_FULL;
            return false;
        }
        return true;
    }
    bool Delete(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
    bool Exists(const std::string& path) override
    {
        return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool MergedIsWhole(const korvane::FinishPaths& paths) override
    {
        const korvane::MergeLengths lengths =
            korvane::MeasureMerge(paths.tempAvi, paths.tempWav, paths.mergedAvi);
        return lengths.opened &&
               korvane::MergedLengthsAgree(lengths.sourceFrames, lengths.mergedFrames,
                                           lengths.sourceSoundSeconds, lengths.mergedSoundSeconds,
                                           lengths.soundToleranceSeconds);
    }
    DWORD Error() const { return m_error; }

private:
    static long long SizeOf(const std::string& path)
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            return -1;
        return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    DWORD m_error = 0;
};

// The system's words for an error code, without the trailing line break.
std::string SystemReason(DWORD error)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length && text ? std::string(text, length) : std::string();
    if (text)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "error " + std::to_string(error);
    return reason;
}

void AskSaveAgain() { PostMessageA(mainWindow, WM_USER_GENERIC_MSG, kSaveAskedAgain, 0); }

void DeleteIfSet(const std::string& path)
{
    if (!path.empty())
        DeleteFileA(path.c_str());
}

}  // namespace

LRESULT CKorvaneDlg::OnRecordingDone(WPARAM askedAgain, LPARAM)
{
    // A recording that stopped by itself (a full drive, a failed write) was never stopped
    // here: without this the window stays "recording" and refuses to exit.
    if (isRecording)
        OnRecordInterrupted(0, 0);
    m_workerRunning = false;
    m_finishing = true;
    ShowButtons();
    if (askedAgain != kSaveAskedAgain) {
        TellHowTheRecordingEnded(true);
        m_pendingParts = PartsOfRecording();
        m_saveTrouble = false;
    }
    // Asked again: the state holds until the re-posted message has its answer.
    if (SaveRecording()) {
        EndFinishing();
        RecordingFinished();
    }
    return 0;
}

void CKorvaneDlg::TellHowTheRecordingEnded(bool recorded)
{
    SetWindowTextA(m_audioStatus, settings.audioStatusLine.c_str());
    const std::string notice = korvane::EndOfRecordingNotice(
        recordingReport.cause, static_cast<korvane::AudioTrouble>(audioTrouble.load()), recorded,
        GetScratchFolder(), recordingReport.unreadGrabs);
    if (!notice.empty()) {
        BringToFront();
        MessageBoxA(Hwnd(), notice.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
}

LRESULT CKorvaneDlg::OnAudioTrouble(WPARAM trouble, LPARAM)
{
    // The recording goes on; the line says why it has no sound, the end says it again.
    const std::string line = korvane::AudioTroubleLine(static_cast<korvane::AudioTrouble>(trouble));
    if (isRecording && !line.empty())
        SetWindowTextA(m_audioStatus, line.c_str());
    return 0;
}

std::vector<CKorvaneDlg::PendingPart> CKorvaneDlg::PartsOfRecording()
{
    std::vector<PendingPart> parts;
    m_wholeSound.clear();
    const std::vector<korvane::RecordingPart>& recorded = recordingReport.parts;
    if (recorded.size() <= 1 || recorded.front().aviPath != tempAviPath) {
        parts.push_back(PendingPart{tempAviPath, settings.recordAudio ? tempWavPath : "",
                                    settings.recordAudio ? mergedAviPath : "", 1});
        return parts;
    }
    // Each part gets the sound that plays with it, cut from the recording's one file.
    korvane::SoundLayout layout;
    const bool sound = settings.recordAudio && korvane::ReadSoundLayout(tempWavPath, layout);
    bool allCut = sound;
    for (size_t i = 0; i < recorded.size(); ++i) {
        PendingPart part{recorded[i].aviPath, "", recorded[i].mergedPath, static_cast<int>(i) + 1};
        if (sound) {
            part.wav = ReserveScratchFile("\\~temp part" + std::to_string(i + 1) + ".wav", ".wav");
            const unsigned next = i + 1 < recorded.size() ? recorded[i + 1].firstIndex : 0;
            const korvane::ByteRange range =
                korvane::PartSoundRange(recorded[i].firstIndex, next, settings.framesPerSecond,
                                        layout.bytesPerSecond, layout.blockAlign, layout.dataBytes);
            if (part.wav.empty() || !korvane::WriteSoundSlice(tempWavPath, layout, range, part.wav))
                allCut = false;
        }
        parts.push_back(part);
    }
    if (!settings.recordAudio)
        return parts;
    if (allCut) {
        DeleteFileA(tempWavPath.c_str());
    } else {
        // The whole sound stays where it is and is named with the rest if a part fails.
        m_wholeSound = tempWavPath;
        for (PendingPart& part : parts) {
            DeleteIfSet(part.wav);
            part.wav.clear();
        }
        MessageBoxA(Hwnd(),
                    ("The sound could not be divided between the parts of the recording; the "
                     "parts are saved without it. The sound is kept in:\n" +
                     tempWavPath)
                        .c_str(),
                    kCaption, MB_OK | MB_ICONWARNING);
    }
    return parts;
}

void CKorvaneDlg::DeletePendingParts()
{
    for (const PendingPart& part : m_pendingParts) {
        DeleteIfSet(part.avi);
        DeleteIfSet(part.wav);
        DeleteIfSet(part.merged);
    }
    DeleteIfSet(m_wholeSound);
    m_wholeSound.clear();
    m_pendingParts.clear();
}

void CKorvaneDlg::KeepPendingParts(const std::string& why)
{
    RealFileOps ops;
    std::vector<std::string> kept;
    for (const PendingPart& part : m_pendingParts)
        for (const std::string* path : {&part.avi, &part.wav})
            if (ops.Exists(*path))
                kept.push_back(*path);
    if (ops.Exists(m_wholeSound))
        kept.push_back(m_wholeSound);
    for (const PendingPart& part : m_pendingParts)
        DeleteIfSet(part.merged);  // empty reserved names, or a merge nobody checked
    m_pendingParts.clear();
    m_wholeSound.clear();
    const std::string text = why + korvane::KeptInScratchMessage(kept);
    MessageBoxA(Hwnd(), text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
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
    dialog.flags = OFN_LONGNAMES | OFN_OVERWRITEPROMPT;

    std::string savePath;
    unsigned long failure = 0;
    if (!korvane::RunSaveFileDialog(dialog, savePath, &failure)) {
        // A dialog that could not be shown decided nothing: the recording is kept.
        if (failure != 0) {
            KeepPendingParts("The save dialog could not be shown (error " +
                             std::to_string(failure) + ").\n");
            return true;
        }
        // After a save that failed, Cancel is no decision to throw the recording away.
        if (m_saveTrouble) {
            KeepPendingParts(std::string());
            return true;
        }
        // One key (Esc, the close box) must not delete a recording: it is asked, and No
        // brings the dialog back.
        if (MessageBoxA(Hwnd(), "Discard this recording?", kCaption,
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
            AskSaveAgain();
            return false;
        }
        DeletePendingParts();
        return true;
    }
    lastSaveFolder = korvane::FolderOf(savePath);

    // Every target is checked before any is written, and none is truncated by the check.
    for (const PendingPart& part : m_pendingParts) {
        const std::string target = korvane::PartSavePath(savePath, part.number);
        unsigned long error = 0;
        if (!CanCreateFile(target, &error)) {
            m_saveTrouble = true;
            MessageBoxA(Hwnd(),
                        (target + " cannot be written: " + SystemReason(error) +
                         ".\nPlease choose another name or folder.")
                            .c_str(),
                        kCaption, MB_OK | MB_ICONWARNING);
            AskSaveAgain();
            return false;
        }
    }

    // The dialog asked only about the name chosen; the later parts' names are asked here.
    std::vector<int> numbers;
    for (const PendingPart& part : m_pendingParts)
        numbers.push_back(part.number);
    RealFileOps existing;
    const std::vector<std::string> inTheWay =
        korvane::LaterPartsInTheWay(savePath, numbers, existing);
    if (!inTheWay.empty()) {
        std::string text = "The recording is saved in parts, and these files exist already:\n";
        for (const std::string& path : inTheWay)
            text += path + "\n";
        text += "\nReplace them?";
        if (MessageBoxA(Hwnd(), text.c_str(), kCaption,
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            AskSaveAgain();
            return false;
        }
    }

    std::string firstSaved;
    std::vector<std::string> saved;
    while (!m_pendingParts.empty()) {
        const PendingPart part = m_pendingParts.front();
        const std::string target = korvane::PartSavePath(savePath, part.number);
        const PartSaved result = SavePart(part, target, firstSaved);
        if (result == PartSaved::AskAgain)
            return false;
        if (result == PartSaved::Kept)
            return true;
        m_pendingParts.erase(m_pendingParts.begin());
        saved.push_back(target);
    }
    DeleteIfSet(m_wholeSound);  // only set when it could not be cut, and then still kept
    m_wholeSound.clear();
    if (saved.size() > 1)
        MessageBoxA(Hwnd(), korvane::SavedPartsMessage(saved).c_str(), kCaption,
                    MB_OK | MB_ICONINFORMATION);
    if (!firstSaved.empty())
        StartPlayer(firstSaved);
    return true;
}

// Saves one part as `target`. AskAgain leaves the part and those after it pending; Kept
// has ended the finish with what could not be saved kept and named.
CKorvaneDlg::PartSaved CKorvaneDlg::SavePart(const PendingPart& part, const std::string& target,
                                             std::string& firstSaved)
{
    RealFileOps ops;
    korvane::FinishPaths paths{part.avi, part.wav, std::string(), target};
    if (part.wav.empty()) {
        if (!korvane::FinishWithoutAudio(paths, ops)) {
            m_saveTrouble = true;
            MessageBoxA(Hwnd(),
                        ("The recording could not be saved as " + target + ": " +
                         SystemReason(ops.Error()) + ".\nPlease choose another name or folder.")
                            .c_str(),
                        kCaption, MB_OK | MB_ICONWARNING);
            AskSaveAgain();
            return PartSaved::AskAgain;
        }
        DeleteIfSet(part.merged);
        if (firstSaved.empty())
            firstSaved = target;
        return PartSaved::Saved;
    }

    HWND progressWindow = m_pProgressDlg ? m_pProgressDlg->Hwnd() : nullptr;
    if (progressWindow) {
        SendMessageA(m_pProgressDlg->m_progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(m_pProgressDlg->m_progress, PBM_SETPOS, 0, 0);
        ShowWindow(progressWindow, SW_SHOW);
    }
    // The merge writes over the empty file the recording reserved for it.
    paths.mergedAvi = part.merged;
    const korvane::MergeResult result =
        part.merged.empty()
            ? korvane::SaveFailed
            : MuxAudioIntoAvi(part.avi, part.wav, part.merged, settings.compressAudio,
                              compressFormat, static_cast<int>(compressFormatSize), 1, 100, 0);
    const korvane::FinishOutcome outcome = korvane::FinishAfterMerge(result, paths, ops);
    if (progressWindow)
        ShowWindow(progressWindow, SW_HIDE);
    if (outcome.startPlayer) {
        if (firstSaved.empty())
            firstSaved = target;
        return PartSaved::Saved;
    }
    // What could not be saved stays, with every part after it, and the user is told.
    std::string why;
    if (!outcome.failedTarget.empty())
        why = outcome.failedTarget + " could not be written: " + SystemReason(ops.Error()) + ".\n";
    else
        why = "The merged movie did not hold the whole recording.\n";
    std::vector<std::string> kept = outcome.keptInScratch;
    m_pendingParts.erase(m_pendingParts.begin());
    for (const PendingPart& rest : m_pendingParts)
        for (const std::string* path : {&rest.avi, &rest.wav})
            if (ops.Exists(*path))
                kept.push_back(*path);
    if (ops.Exists(m_wholeSound))
        kept.push_back(m_wholeSound);
    for (const PendingPart& rest : m_pendingParts)
        DeleteIfSet(rest.merged);
    m_pendingParts.clear();
    m_wholeSound.clear();
    MessageBoxA(Hwnd(), (why + korvane::KeptInScratchMessage(kept)).c_str(), kCaption,
                MB_OK | MB_ICONWARNING);
    if (!firstSaved.empty())
        StartPlayer(firstSaved);
    return PartSaved::Kept;
}

void CKorvaneDlg::StartPlayer(const std::string& moviePath)
{
    m_lastSavedFile = moviePath;
    const std::string command = korvane::PlayerCommandLine(GetExeFolder(), moviePath);
    const UINT started = WinExec(command.c_str(), SW_SHOW);
    if (started <= 31)
        MessageBoxA(Hwnd(),
                    ("The player could not be started (error " + std::to_string(started) +
                     "). The movie is saved as:\n" + moviePath)
                        .c_str(),
                    kCaption, MB_OK | MB_ICONWARNING);
}
