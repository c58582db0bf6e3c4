// What the recording host programs of the tests and benches share around the recording
// itself: their command lines, the files they leave for the scripts that read them, the
// merge, and the process's own figures. Test thread.
#pragma once
#include "recording_support.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

// A host run as `NAME MODE OUTDIR`, MODE one of `modes`: answers what `run` answers, or
// prints the usage and answers 2.
int RunHostMode(int argc, char** argv, const char* name, std::initializer_list<const char*> modes,
                const std::function<int(const std::string& mode, const std::string& outDir)>& run);

// A host run as `NAME SECONDS FLAG OUTDIR`.
struct FlagRun {
    DWORD seconds = 0;
    std::string flag;
    std::string outDir;
};
// False (the usage printed) for any other command line.
bool ReadFlagRun(int argc, char** argv, const char* name, FlagRun& run);

// The pointer to the screen's far corner, out of the recorded area.
void ParkPointer();
// Default settings for a recording of the area WxH at the top left of this screen, the
// pointer parked.
void AimAtTopLeft(int width, int height);

bool FileExists(const std::string& path);
// Pumps until the script's file at `path` appears; false when it never came.
bool WaitForFile(MessageSink& sink, const std::string& path, DWORD timeoutMs);

// Lets the last messages of the recording's end arrive, then leaves them one a line in
// OUTDIR\messages.txt.
void WriteReceivedMessages(MessageSink& sink, const std::string& outDir);

// Merges the recording's scratch files into `outputPath` with the sound as recorded (PCM).
int MergeAsRecorded(const std::string& outputPath);

// The process's private bytes in MB.
double PrivateMegabytes();
