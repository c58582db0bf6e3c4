// Interrupted recordings in the scratch folder: found by their descriptions (only those
// no live recorder holds), rebuilt into a temporary AVI and WAV file that the normal
// finish takes, or deleted. UI thread (the rebuild blocks it while it copies).
#pragma once
#include "kernel_owners.h"
#include "recording_description.h"

#include <string>
#include <vector>

namespace korvane {

struct InterruptedRecording {
    std::string descriptionPath;
    KernelHandle claim;     // the description, held so that no other instance takes it
    bool readable = false;  // the description parsed
    RecordingDescription description;
    uint32_t positions = 0;  // video positions found whole
    bool hasSound = false;   // a WAV file with a usable format and data
};

// Every description in `folder` that no running recorder holds, claimed. Paths that live
// recordings use are added to `inUse` (their files are never touched).
std::vector<InterruptedRecording> FindInterruptedRecordings(const std::string& folder,
                                                            std::vector<std::string>& inUse);

struct RebuiltRecording {
    std::string aviPath;     // the first part
    std::string wavPath;     // empty: video only; else the sound of all parts
    std::string mergedPath;  // reserved for the merge when there is sound
    std::vector<LaterPart> laterParts;
    uint32_t framesPerSecond = 0;
};

// Copies every whole frame of each part into a new temporary AVI file in `folder` at its
// position (a part its writer finished is taken as it is), fixes the WAV file's sizes in
// place, deletes the damaged AVI files and the reserve, and hands the claim to the
// recording journal with a description of the rebuilt files (forgotten by the finish).
// A later part without a whole frame is dropped. False when nothing could be rebuilt;
// the files are then as they were, but for the reserve.
bool RebuildRecording(InterruptedRecording& r, const std::string& folder,
                      const std::vector<std::string>& inUse, RebuiltRecording& out);

// Deletes the recording's files (those no live recording uses), its reserve and its
// description.
void DeleteInterruptedRecording(InterruptedRecording& r, const std::vector<std::string>& inUse);

}  // namespace korvane
