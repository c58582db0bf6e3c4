// The description of a recording in progress, kept beside its scratch files so that a
// recording whose process died can be rebuilt: what the temporary files are, the video
// stream's format as the file stores it, the sound's format, and who is writing them.
// A small "key=value" text; plain functions, any thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// A later file of a recording that went on in parts past the size ceiling. The sound of
// all parts is in the one WAV file.
struct LaterPart {
    std::string aviPath;
    std::string mergedPath;   // the part's merge's reserved name (may be empty)
    uint32_t firstIndex = 0;  // its first frame's position on the recording's clock
};

struct RecordingDescription {
    uint32_t processId = 0;  // the recorder that wrote it
    std::string started;     // "YYYY-MM-DD hh:mm:ss" local time, for the user
    uint32_t part = 1;       // numbered from 1 when a recording is split into files
    std::string aviPath;
    std::string wavPath;     // empty: video only
    std::string mergedPath;  // the merge's reserved name (may be empty)
    uint32_t framesPerSecond = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::string compressor;  // the stream's FourCC as text, e.g. "MSVC"
    uint32_t quality = 0;
    uint32_t suggestedBufferBytes = 0;
    std::vector<uint8_t> videoFormat;   // the stream format (BITMAPINFOHEADER and any palette)
    std::vector<uint8_t> audioFormat;   // the WAV fmt chunk's contents; empty without sound
    bool complete = false;              // the files were closed normally and wait for the save
    std::vector<LaterPart> laterParts;  // parts 2, 3, ... in recording order
    std::string reservePath;            // the scratch drive's reserve while it records
};

// More parts than any drive could hold are taken for damage.
constexpr size_t kMaxLaterParts = 4096;

// The description's file: beside the AVI file, named after it.
std::string DescriptionPathFor(const std::string& aviPath);
// The extension that marks a description in the scratch folder.
extern const char kDescriptionExtension[];

std::string FormatDescription(const RecordingDescription& d);

// False for a text that is no description or misses something the rebuild needs
// (files, size, rate, a video format of at least a BITMAPINFOHEADER, later parts in
// recording order).
bool ParseDescription(const std::string& text, RecordingDescription& out);

// True when every file `d` names (empty names aside) lies directly in `folder`: not in
// another folder, a subfolder or on another machine, no ".." and no stream or device
// syntax. A description found there that names anything else was not written by us, and
// its files are neither opened nor deleted.
bool NamesOnlyFilesIn(const RecordingDescription& d, const std::string& folder);

// The largest chunk a frame of this recording may have: never more than a raw frame of
// 32 bits per pixel, whatever the compressor; for damaged sizes.
uint32_t MaxFrameBytes(const RecordingDescription& d);

}  // namespace korvane
