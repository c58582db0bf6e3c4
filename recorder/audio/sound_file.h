// CSoundBase and CSoundFile: the recorder's WAV file on the multimedia file I/O.
// A CSoundFile is created for writing (with a format) or opened for reading (without);
// deleting it is the only way to finish and close it. One thread at a time may use an
// object; the wave-in capture serialises its writer and its deletion (wave_in_capture).
#pragma once
#include "audio_owners.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>

class CSoundBase {
public:
    CSoundBase();
    virtual ~CSoundBase() = default;

    WAVEFORMATEX m_format;
    DWORD m_bufferFrames;  // kept for its shape; capture sizes buffers from the settings
};

enum OpenMode { NotOpen = 0, ForReading = 1, ForWriting = 2 };

class CSoundFile : public CSoundBase {
public:
    // With a format: create `path` for writing; without: open it for reading.
    CSoundFile(const std::string& path, const WAVEFORMATEX* format);
    ~CSoundFile() override;
    CSoundFile(const CSoundFile&) = delete;
    CSoundFile& operator=(const CSoundFile&) = delete;

    bool CreateForWriting();
    bool OpenForReading();

    korvane::MmioFile m_hmmio;  // empty when no file is open
    std::string m_path;
    OpenMode m_openMode;
    MMCKINFO m_riffChunk;
    MMCKINFO m_chunk;

private:
    bool FailReading(const char* message);
    static void CutToWhatItHolds(const std::string& path, const WAVEFORMATEX& format);
};
