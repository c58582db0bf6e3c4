// The WAV file on mmio: layout in riff_layout.h. Whichever thread owns the object.
#include "sound_file.h"

#include "riff_layout.h"

#include <cstring>

namespace korvane {
std::function<void(const char*)> showSoundFileError = [](const char* text) {
    MessageBoxA(nullptr, text, "Korvane", MB_OK);
};
}  // namespace korvane

CSoundBase::CSoundBase() : m_format(), m_bufferFrames(1000)
{
    m_format.wFormatTag = WAVE_FORMAT_PCM;
    m_format.nChannels = 1;
    m_format.nSamplesPerSec = 22050;
    m_format.nAvgBytesPerSec = 44100;
    m_format.nBlockAlign = 2;
    m_format.wBitsPerSample = 16;
    m_format.cbSize = 0;
}

CSoundFile::CSoundFile(const std::string& path, const WAVEFORMATEX* format)
    : m_hmmio(nullptr), m_path(path), m_openMode(NotOpen), m_riffChunk(), m_chunk()
{
    if (format) {
        m_openMode = ForWriting;
        // Only the record itself: extra format bytes past cbSize are not ours to keep.
        std::memcpy(&m_format, format, korvane::kWaveFormatRecordBytes);
        CreateForWriting();
    } else {
        m_openMode = ForReading;
        OpenForReading();
    }
    if (m_openMode == NotOpen && m_hmmio) {
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
    }
}

CSoundFile::~CSoundFile()
{
    if (m_hmmio) {
        // Ascending out of a chunk made by mmioCreateChunk writes its true size (and
        // the pad byte); the RIFF chunk last, so its size covers everything.
        if (m_openMode == ForWriting) {
            mmioAscend(m_hmmio, &m_chunk, 0);
            mmioAscend(m_hmmio, &m_riffChunk, 0);
        }
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
    }
}

bool CSoundFile::CreateForWriting()
{
    if (m_hmmio)
        return false;
    // Not exclusive: the recording's journal flushes the file to disk through a handle
    // of its own. The name is reserved for this recording, so no one else opens it.
    m_hmmio = mmioOpenA(const_cast<char*>(m_path.c_str()), nullptr,
                        MMIO_ALLOCBUF | MMIO_CREATE | MMIO_DENYNONE | MMIO_WRITE);
    if (!m_hmmio) {
        m_openMode = NotOpen;
        return false;
    }
    m_riffChunk = MMCKINFO();
    m_riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    mmioCreateChunk(m_hmmio, &m_riffChunk, MMIO_CREATERIFF);

    const LONG formatBytes = korvane::FormatChunkBytes(m_format.cbSize);
    m_chunk = MMCKINFO();
    m_chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    m_chunk.cksize = formatBytes;
    mmioCreateChunk(m_hmmio, &m_chunk, 0);
    // The record holds no bytes past cbSize, so a format with extras writes zeros for
    // them rather than reading past the record.
    std::string formatChunk(formatBytes, '\0');
    std::memcpy(&formatChunk[0], &m_format, korvane::kWaveFormatRecordBytes);
    mmioWrite(m_hmmio, &formatChunk[0], formatBytes);
    mmioAscend(m_hmmio, &m_chunk, 0);

    m_chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    mmioCreateChunk(m_hmmio, &m_chunk, 0);
    return true;
}

bool CSoundFile::FailReading(const char* message)
{
    korvane::showSoundFileError(message);
    mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
    m_openMode = NotOpen;
    return false;
}

bool CSoundFile::OpenForReading()
{
    if (m_hmmio)
        return false;
    m_hmmio = mmioOpenA(const_cast<char*>(m_path.c_str()), nullptr, MMIO_READ);
    if (!m_hmmio) {
        m_openMode = NotOpen;
        return false;
    }
    m_riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(m_hmmio, &m_riffChunk, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR)
        return FailReading("Error descending into file");
    m_chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(m_hmmio, &m_chunk, &m_riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return FailReading("Error descending in wave file");
    // A compressed format's extra bytes stay in the file; mmioAscend skips them.
    mmioRead(m_hmmio, reinterpret_cast<HPSTR>(&m_format),
             korvane::FormatBytesToRead(m_chunk.cksize));
    if (mmioAscend(m_hmmio, &m_chunk, 0) != MMSYSERR_NOERROR)
        return FailReading("Error ascending in File");
    m_chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(m_hmmio, &m_chunk, &m_riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return FailReading("error reading data chunk");
    return true;
}
