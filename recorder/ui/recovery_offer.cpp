// The offer's questions and the queue of rebuilt recordings waiting for the finish.
#include "recovery_offer.h"

#include "app/recording_report.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "app/scratch_paths.h"
#include "recovery/recording_journal.h"
#include "recovery/recording_rebuild.h"

#include <deque>
#include <string>

namespace {

const char kCaption[] = "Korvane";

struct Waiting {
    korvane::RebuiltRecording files;
    bool sound = false;
};
std::deque<Waiting> waiting;

std::string Describe(const korvane::InterruptedRecording& r)
{
    const korvane::RecordingDescription& d = r.description;
    const unsigned seconds = r.positions / (d.framesPerSecond ? d.framesPerSecond : 1);
    std::string text = "Korvane found a recording that was interrupted before it was saved.\n\n";
    text += "Started: " + d.started + "\n";
    if (!d.laterParts.empty())
        text += "Parts: " + std::to_string(d.laterParts.size() + 1) + "\n";
    text += "Length: about " + std::to_string(seconds) + " s of video" +
            (r.hasSound ? " with sound" : "") + "\n\n";
    text +=
        "Yes: recover it and save it now.\nNo: delete it.\n"
        "Cancel: keep it and ask again at the next start.";
    return text;
}

// One recording: true when it was rebuilt and waits for the finish.
void Offer(korvane::InterruptedRecording& r, const std::string& folder,
           const std::vector<std::string>& inUse)
{
    if (!r.readable || r.positions == 0) {
        const std::string text =
            "Korvane found an interrupted recording that cannot be recovered (" +
            std::string(r.readable ? "no whole video frame" : "its description is unreadable") +
            "):\n" + r.descriptionPath + "\n\nDelete what is left of it?";
        if (MessageBoxA(nullptr, text.c_str(), kCaption, MB_YESNO | MB_ICONWARNING) == IDYES)
            korvane::DeleteInterruptedRecording(r, inUse);
        return;
    }
    switch (MessageBoxA(nullptr, Describe(r).c_str(), kCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: {
        Waiting w;
        if (korvane::RebuildRecording(r, folder, inUse, w.files)) {
            w.sound = !w.files.wavPath.empty();
            waiting.push_back(w);
        } else {
            const std::string text =
                "The interrupted recording could not be rebuilt. Its files "
                "stay in " +
                folder + ".";
            MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
        }
        break;
    }
    case IDNO: korvane::DeleteInterruptedRecording(r, inUse); break;
    default: break;  // kept: the claim ends with r, and the next start asks again
    }
}

}  // namespace

void OfferInterruptedRecordings()
{
    if (!ScratchFolderListable()) {
        const std::string text =
            "Korvane may not list the folder where it keeps recordings in progress:\n" +
            GetScratchFolder() +
            "\n\nRecording works, but a recording cut short by a crash or a power cut "
            "cannot be found there and offered again.";
        MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
    for (const std::string& folder : RecoveryFolders()) {
        std::vector<std::string> inUse;
        std::vector<korvane::InterruptedRecording> found =
            korvane::FindInterruptedRecordings(folder, inUse);
        for (korvane::InterruptedRecording& r : found)
            Offer(r, folder, inUse);
    }
}

void HandNextRecoveredRecording()
{
    if (!waiting.empty() && mainWindow)
        PostMessageA(mainWindow, RecoveredRecordingWaiting, 0, 0);
}

bool TakeRecoveredRecording(korvane::RecordingToFinish& recording)
{
    if (waiting.empty())
        return false;
    const Waiting next = waiting.front();
    waiting.pop_front();
    // The finish saves the parts as it does those of a recording just made.
    recording = korvane::RecordingToFinish();
    recording.parts.push_back(korvane::RecordingPart{next.files.aviPath, next.files.mergedPath, 0});
    for (const korvane::LaterPart& part : next.files.laterParts)
        recording.parts.push_back(
            korvane::RecordingPart{part.aviPath, part.mergedPath, part.firstIndex});
    recording.wavPath = next.sound ? next.files.wavPath : std::string();
    recording.framesPerSecond = static_cast<int>(next.files.framesPerSecond);
    return true;
}

void RecordingFinished(const std::string& firstAviPath)
{
    if (!firstAviPath.empty())
        korvane::ForgetRecordingPart(firstAviPath);
    HandNextRecoveredRecording();
}
