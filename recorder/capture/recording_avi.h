// The temporary AVI file of a recording: one video stream compressed on the way in.
// Used by one thread at a time: opened and released by the recording thread, written by
// its frame writer in between. Bytes() may be asked from any thread.
#pragma once
#include "avifile_owners.h"
#include "compressor_input.h"
#include "frame_dib.h"

#include <windows.h>
#include <vfw.h>

#include <atomic>
#include <string>
#include <vector>

class RecordingAvi {
public:
    RecordingAvi();
    // Releases the file and both streams, in that order, then the compression options
    // and the library: the file is complete on disk afterwards.
    ~RecordingAvi();
    RecordingAvi(const RecordingAvi&) = delete;
    RecordingAvi& operator=(const RecordingAvi&) = delete;

    // Opens the file, the stream and the compressed stream, and sets the format from
    // the test frame, at `inputBits` when given (the depth the compressor takes; every
    // frame written is then converted to it). Returns the first failing call's HRESULT
    // (0 = success).
    HRESULT Open(const std::string& path, const PackedFrame& testFrame, int framesPerSecond,
                 int inputBits = 0);

    // One frame as one sample at `position`.
    HRESULT Write(unsigned position, const PackedFrame& frame);

    // The depth the compressor is handed frames in (after Open).
    int InputBits() const { return m_inputBits; }

    // Whether Open got as far as creating the file (what failed after is the stream's).
    bool FileCreated() const { return m_file.Get() != nullptr; }

    // What the file will take once finished, as far as can be told now (from above).
    unsigned long long Bytes() const;

    // The stream as the file stores it (after Open): the compressor's output format and
    // the stream header. False before a successful Open.
    bool FileFormat(std::vector<unsigned char>& format) const;
    AVISTREAMINFOA FileStreamInfo() const;

private:
    korvane::AviFileLibrary m_library;
    // Declared before the file and streams, so they are released before the options.
    korvane::CompressOptions m_options;
    korvane::AviFile m_file;
    korvane::AviStream m_raw;
    korvane::AviStream m_compressed;
    std::string m_path;
    korvane::FrameConverter m_converter;
    int m_inputBits = 0;
    std::atomic<unsigned long long> m_frames{0};
    // More than the writer keeps in memory before it reaches the file.
    static constexpr unsigned long long kWriterBufferBytes = 64 * 1024;
};
