// The descriptions of this process's recordings, one file per recording beside its first
// AVI file; a recording that goes on in parts lists them all there.
// Each stays open without write sharing while this process lives, which is how another
// instance tells a live recording from an interrupted one. While a part records, its
// files are pushed to disk once a second, so a power cut loses at most that much.
// Begin/End: the recording thread; Adopt/Forget: the UI thread; both may overlap.
#pragma once
#include "kernel_owners.h"
#include "recording_description.h"

#include <functional>
#include <string>

namespace korvane {

// Writes the part's description and starts keeping it current. `flushBuffered` pushes
// what the process itself still buffers of the part's files to the system (may be
// empty); it is called from the flushing thread. False when the description could not
// be written (the recording goes on, only without this protection).
bool BeginRecordingPart(const RecordingDescription& d, std::function<void()> flushBuffered);

// The recording `firstAviPath` goes on in a new file, whose writer has opened it: the
// description lists it and the flushing moves to it (the full file is finished by its
// writer). False when the description could not be rewritten.
bool AddRecordingPart(const std::string& firstAviPath, const LaterPart& part);

// The recording's files are closed and complete: its flushing stops, its description says
// so (and no longer names the reserve, which is gone by then) and stays until
// ForgetRecordingPart.
void EndRecordingPart(const std::string& aviPath);

// Takes over a description already open (`file`, as the recovery found and claimed it),
// rewritten to `d`: a rebuilt recording on its way to the save.
bool AdoptRecordingPart(const RecordingDescription& d, KernelHandle file,
                        const std::string& descriptionPath);

// The part's files were saved or given up: its description goes.
void ForgetRecordingPart(const std::string& aviPath);

// Opens a description as its writer does (read, write, shared for reading and deletion).
KernelHandle OpenDescriptionForWriting(const std::string& path, DWORD disposition);
// Replaces the file's whole content and pushes it to disk.
bool RewriteFile(HANDLE file, const std::string& text);

// Flushes so far, and their total time, for the benchmark figures.
struct FlushTally {
    unsigned flushes = 0;
    double seconds = 0;
};
FlushTally RecordingFlushTally();

}  // namespace korvane
