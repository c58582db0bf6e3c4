// RecordingFinish: turns a finished recording's scratch files into the user's files (the
// save dialog, the merge with the progress window, the copies) and starts the player on
// the first. A recording in several parts is saved as "name.avi", "name (2).avi", ...
// What cannot be saved stays in the scratch folder and is named to the user; only what
// was saved, or what the user chose to discard, is deleted. UI thread only; the merge
// blocks it except for its progress pumping.
#pragma once
#include "app/recording_report.h"

#include <windows.h>

#include <string>
#include <vector>

class CProgressDialog;

namespace korvane {

// A recording waiting to be finished: one just made, or one rebuilt after its process
// died. Its own values, whatever the settings say now.
struct RecordingToFinish {
    // The recording's AVI files, the first one first (its merged name empty: no merge).
    std::vector<RecordingPart> parts;
    std::string wavPath;  // the whole recording's sound; empty: it has none
    int framesPerSecond = 0;
};

// The recording the thread has just reported, from its report and the scratch names.
RecordingToFinish RecordingJustMade();

class RecordingFinish {
public:
    // Its boxes and dialogs belong to `owner`; `progress` (may be null) shows the merge.
    RecordingFinish(HWND owner, CProgressDialog* progress);

    // Asks where to save and saves, as often as the user must be asked again; returns
    // once the recording is saved, discarded or kept in the scratch folder.
    void Run(const RecordingToFinish& recording);
    // The first file saved, which the player was started on; empty if none.
    const std::string& FirstSaved() const { return m_firstSaved; }
    // Nothing was saved and the recording's files are kept as they were recorded, so its
    // description can stay and the next start offers it again.
    bool KeptForNextStart() const { return m_keptForNextStart; }

private:
    // One file of the recording still to be saved, with the sound that plays with it.
    struct PendingPart {
        std::string avi;
        std::string wav;     // empty: saved without sound
        std::string merged;  // reserved for its merge; may be empty
        int number = 1;      // 1 for "name.avi", 2 for "name (2).avi", ...
    };
    enum class Attempt { Done, AskAgain };
    enum class PartSaved { Saved, AskAgain, Kept };

    void Split(const RecordingToFinish& recording);
    Attempt SaveOnce();
    PartSaved SavePart(const PendingPart& part, const std::string& target);
    // Ends the finish with every pending file left in the scratch folder, and says where.
    void KeepPending(const std::string& why, std::vector<std::string> kept);
    // The same before anything was written: offered again at the next start if it can be.
    void KeepUnsaved(const std::string& why);
    void DeletePending();
    void StartPlayer(const std::string& moviePath);

    HWND m_owner;
    CProgressDialog* m_progress;
    std::vector<PendingPart> m_pending;
    // The recording's whole sound file when it could not be cut between its parts.
    std::string m_wholeSound;
    // A save has failed in this finish: Cancel then keeps the files instead of deleting.
    bool m_saveTrouble = false;
    // The scratch files are still as the recording left them (its sound not cut in parts).
    bool m_asRecorded = false;
    bool m_keptForNextStart = false;
    std::string m_firstSaved;
};

}  // namespace korvane
