// The finish of a recording: from its scratch files to the user's files and the player.
#include "recording_finish.h"

#include "app/recording_limits.h"
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "app/scratch_paths.h"
#include "audio/audio_merge.h"
#include "audio/audio_state.h"
#include "audio/merge_check.h"
#include "audio/progress_dialog.h"
#include "audio/sound_split.h"
#include "finish_plan.h"
#include "kernel_owners.h"
#include "korvane_dlg.h"
#include "save_file_dialog.h"
#include "save_path_rules.h"

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
    korvane::LocalText text;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(text.Receive()), 0, nullptr);
    std::string reason = length && text ? std::string(text.Get(), length) : std::string();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "error " + std::to_string(error);
    return reason;
}

void DeleteIfSet(const std::string& path)
{
    if (!path.empty())
        DeleteFileA(path.c_str());
}

// An empty file of a new name in the folder of `target` ("<target>.merging.avi", then
// numbered), made so that no file of the user's is taken; empty when none can be made.
std::string NewFileBeside(const std::string& target)
{
    for (int n = 0; n < 100; ++n) {
        const std::string path =
            target + (n ? ".merging " + std::to_string(n) + ".avi" : ".merging.avi");
        korvane::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return path;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return std::string();
}

}  // namespace

namespace korvane {

RecordingToFinish RecordingJustMade()
{
    RecordingToFinish recording;
    recording.framesPerSecond = settings.framesPerSecond;
    recording.wavPath = settings.recordAudio ? tempWavPath : std::string();
    recording.parts = recordingReport.parts;
    if (recording.parts.empty() || recording.parts.front().aviPath != tempAviPath)
        recording.parts = {korvane::RecordingPart{
            tempAviPath, settings.recordAudio ? mergedAviPath : std::string(), 0}};
    return recording;
}

RecordingFinish::RecordingFinish(HWND owner, CProgressDialog* progress)
    : m_owner(owner), m_progress(progress)
{
}

void RecordingFinish::Run(const RecordingToFinish& recording)
{
    Split(recording);
    m_asRecorded = recording.parts.size() <= 1 || recording.wavPath.empty();
    m_keptForNextStart = false;
    m_saveTrouble = false;
    while (SaveOnce() == Attempt::AskAgain) {
    }
}

void RecordingFinish::Split(const RecordingToFinish& recording)
{
    m_pending.clear();
    m_wholeSound.clear();
    const std::vector<korvane::RecordingPart>& recorded = recording.parts;
    const bool withSound = !recording.wavPath.empty();
    if (recorded.size() <= 1) {
        m_pending.push_back(PendingPart{
            recorded.empty() ? std::string() : recorded[0].aviPath, recording.wavPath,
            withSound && !recorded.empty() ? recorded[0].mergedPath : std::string(), 1});
        return;
    }
    // Each part gets the sound that plays with it, cut from the recording's one file.
    const std::string& wav = recording.wavPath;
    korvane::SoundLayout layout;
    const bool sound = withSound && korvane::ReadSoundLayout(wav, layout);
    bool allCut = sound;
    for (size_t i = 0; i < recorded.size(); ++i) {
        PendingPart part{recorded[i].aviPath, "", recorded[i].mergedPath, static_cast<int>(i) + 1};
        if (sound) {
            part.wav = ReserveScratchFile("\\~temp part" + std::to_string(i + 1) + ".wav", ".wav");
            const unsigned next = i + 1 < recorded.size() ? recorded[i + 1].firstIndex : 0;
            const korvane::ByteRange range =
                korvane::PartSoundRange(recorded[i].firstIndex, next, recording.framesPerSecond,
                                        layout.bytesPerSecond, layout.blockAlign, layout.dataBytes);
            if (part.wav.empty() || !korvane::WriteSoundSlice(wav, layout, range, part.wav))
                allCut = false;
        }
        m_pending.push_back(part);
    }
    if (!withSound)
        return;
    if (allCut) {
        DeleteFileA(wav.c_str());
    } else {
        // The whole sound stays where it is and is named with the rest if a part fails.
        m_wholeSound = wav;
        for (PendingPart& part : m_pending) {
            DeleteIfSet(part.wav);
            part.wav.clear();
        }
        MessageBoxA(m_owner,
                    ("The sound could not be divided between the parts of the recording; the "
                     "parts are saved without it. The sound is kept in:\n" +
                     wav)
                        .c_str(),
                    kCaption, MB_OK | MB_ICONWARNING);
    }
}

void RecordingFinish::DeletePending()
{
    for (const PendingPart& part : m_pending) {
        DeleteIfSet(part.avi);
        DeleteIfSet(part.wav);
        DeleteIfSet(part.merged);
    }
    DeleteIfSet(m_wholeSound);
    m_wholeSound.clear();
    m_pending.clear();
}

void RecordingFinish::KeepPending(const std::string& why, std::vector<std::string> kept)
{
    RealFileOps ops;
    for (const PendingPart& part : m_pending)
        for (const std::string* path : {&part.avi, &part.wav})
            if (ops.Exists(*path))
                kept.push_back(*path);
    if (ops.Exists(m_wholeSound))
        kept.push_back(m_wholeSound);
    for (const PendingPart& part : m_pending)
        DeleteIfSet(part.merged);  // empty reserved names, or a merge nobody checked
    m_pending.clear();
    m_wholeSound.clear();
    std::string text = why + korvane::KeptInScratchMessage(kept);
    if (m_keptForNextStart)
        text += "\nKorvane offers it again when it next starts.";
    MessageBoxA(m_owner, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
}

void RecordingFinish::KeepUnsaved(const std::string& why)
{
    m_keptForNextStart = m_asRecorded && m_firstSaved.empty();
    KeepPending(why, {});
}

RecordingFinish::Attempt RecordingFinish::SaveOnce()
{
    CKorvaneDlg::BringToFront();
    if (lastSaveFolder.empty())
        lastSaveFolder = FirstSaveFolder();

    korvane::SaveFileDialogSettings dialog;
    dialog.owner = m_owner;
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
            KeepUnsaved("The save dialog could not be shown (error " + std::to_string(failure) +
                        ").\n");
            return Attempt::Done;
        }
        // After a save that failed, Cancel is no decision to throw the recording away.
        if (m_saveTrouble) {
            KeepUnsaved(std::string());
            return Attempt::Done;
        }
        // One key (Esc, the close box) must not delete a recording: it is asked, and No
        // brings the dialog back.
        if (MessageBoxA(m_owner, "Discard this recording?", kCaption,
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return Attempt::AskAgain;
        DeletePending();
        return Attempt::Done;
    }
    lastSaveFolder = korvane::FolderOf(savePath);

    // Every target is checked before any is written, and none is truncated by the check.
    for (const PendingPart& part : m_pending) {
        const std::string target = korvane::PartSavePath(savePath, part.number);
        // The system's own answer to some of these is a device opened or a name changed.
        std::string refusal = korvane::SavePathRefusal(target);
        unsigned long error = 0;
        if (refusal.empty() && !CanCreateFile(target, &error))
            refusal = SystemReason(error);
        if (!refusal.empty()) {
            m_saveTrouble = true;
            MessageBoxA(m_owner,
                        (target + " cannot be written: " + refusal +
                         ".\nPlease choose another name or folder.")
                            .c_str(),
                        kCaption, MB_OK | MB_ICONWARNING);
            return Attempt::AskAgain;
        }
    }

    // The dialog asked only about the name chosen; the later parts' names are asked here.
    std::vector<int> numbers;
    for (const PendingPart& part : m_pending)
        numbers.push_back(part.number);
    RealFileOps existing;
    const std::vector<std::string> inTheWay =
        korvane::LaterPartsInTheWay(savePath, numbers, existing);
    if (!inTheWay.empty()) {
        std::string text = "The recording is saved in parts, and these files exist already:\n";
        for (const std::string& path : inTheWay)
            text += path + "\n";
        text += "\nReplace them?";
        if (MessageBoxA(m_owner, text.c_str(), kCaption,
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return Attempt::AskAgain;
    }

    std::vector<std::string> saved;
    while (!m_pending.empty()) {
        const PendingPart part = m_pending.front();
        const std::string target = korvane::PartSavePath(savePath, part.number);
        const PartSaved result = SavePart(part, target);
        if (result == PartSaved::AskAgain)
            return Attempt::AskAgain;
        if (result == PartSaved::Kept)
            return Attempt::Done;
        m_pending.erase(m_pending.begin());
        saved.push_back(target);
    }
    DeleteIfSet(m_wholeSound);  // only set when it could not be cut, and then still kept
    m_wholeSound.clear();
    if (saved.size() > 1)
        MessageBoxA(m_owner, korvane::SavedPartsMessage(saved).c_str(), kCaption,
                    MB_OK | MB_ICONINFORMATION);
    if (!m_firstSaved.empty())
        StartPlayer(m_firstSaved);
    return Attempt::Done;
}

// Saves one part as `target`. AskAgain leaves the part and those after it pending; Kept
// has ended the finish with what could not be saved kept and named.
RecordingFinish::PartSaved RecordingFinish::SavePart(const PendingPart& part,
                                                     const std::string& target)
{
    RealFileOps ops;
    korvane::FinishPaths paths{part.avi, part.wav, std::string(), target};
    if (part.wav.empty()) {
        if (!korvane::FinishWithoutAudio(paths, ops)) {
            m_saveTrouble = true;
            MessageBoxA(m_owner,
                        ("The recording could not be saved as " + target + ": " +
                         SystemReason(ops.Error()) + ".\nPlease choose another name or folder.")
                            .c_str(),
                        kCaption, MB_OK | MB_ICONWARNING);
            return PartSaved::AskAgain;
        }
        DeleteIfSet(part.merged);
        if (m_firstSaved.empty())
            m_firstSaved = target;
        return PartSaved::Saved;
    }

    HWND progressWindow = m_progress ? m_progress->Hwnd() : nullptr;
    if (progressWindow) {
        SendMessageA(m_progress->m_progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(m_progress->m_progress, PBM_SETPOS, 0, 0);
        ShowWindow(progressWindow, SW_SHOW);
    }
    const auto merge = [&](const std::string& into) {
        return MuxAudioIntoAvi(part.avi, part.wav, into, settings.compressAudio, compressFormat,
                               static_cast<int>(compressFormatSize), 1, 100, 0);
    };
    // The merge writes over the empty file the recording reserved for it.
    paths.mergedAvi = part.merged;
    korvane::MergeResult result = part.merged.empty() ? korvane::SaveFailed : merge(part.merged);
    // Something else may have filled the scratch drive after the recording stopped, leaving
    // no room for the merged copy there: the merge is made once more beside the chosen name.
    if (result == korvane::SaveFailed || (result == korvane::Merged && !ops.MergedIsWhole(paths))) {
        const std::string beside = NewFileBeside(target);
        if (!beside.empty()) {
            DeleteIfSet(part.merged);
            paths.mergedAvi = beside;
            result = merge(beside);
            if (result != korvane::Merged)
                DeleteIfSet(beside);  // nothing of it is kept: it is not in the scratch folder
        }
    }
    const korvane::FinishOutcome outcome = korvane::FinishAfterMerge(result, paths, ops);
    if (progressWindow)
        ShowWindow(progressWindow, SW_HIDE);
    if (outcome.startPlayer) {
        if (m_firstSaved.empty())
            m_firstSaved = target;
        return PartSaved::Saved;
    }
    // What could not be saved stays, with every part after it, and the user is told.
    std::string why;
    if (!outcome.failedTarget.empty())
        why = outcome.failedTarget + " could not be written: " + SystemReason(ops.Error()) + ".\n";
    else
        why = "The merged movie did not hold the whole recording.\n";
    m_pending.erase(m_pending.begin());
    KeepPending(why, outcome.keptInScratch);
    if (!m_firstSaved.empty())
        StartPlayer(m_firstSaved);
    return PartSaved::Kept;
}

void RecordingFinish::StartPlayer(const std::string& moviePath)
{
    const std::string command = korvane::PlayerCommandLine(GetExeFolder(), moviePath);
    const UINT started = WinExec(command.c_str(), SW_SHOW);
    if (started <= 31)
        MessageBoxA(m_owner,
                    ("The player could not be started (error " + std::to_string(started) +
                     "). The movie is saved as:\n" + moviePath)
                        .c_str(),
                    kCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace korvane
