// The WAV file on mmio: layout in riff_layout.h. Whichever thread owns the object.
#include "sound_file.h"

#include "audio_system.h"
#include "kernel_owners.h"
#include "riff_layout.h"
#include "wave_file_reader.h"

#include <cstring>

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
    : m_path(path), m_openMode(NotOpen), m_riffChunk(), m_chunk()
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
    if (m_openMode == NotOpen)
        m_hmmio.Reset();
}

CSoundFile::~CSoundFile()
{
    if (m_hmmio) {
        // Ascending out of a chunk made by mmioCreateChunk writes its true size (and
        // the pad byte); the RIFF chunk last, so its size covers everything.
        const bool written = m_openMode == ForWriting;
        if (written) {
            mmioAscend(m_hmmio.Get(), &m_chunk, 0);
            mmioAscend(m_hmmio.Get(), &m_riffChunk, 0);
        }
        m_hmmio.Reset();
        if (written)
            CutToWhatItHolds(m_path, m_format);
    }
}

// The sizes written on closing count every byte the file was given; a full drive may
// have taken less of the last buffer, and a file that claims more sound than it holds
// cannot be merged. Then its sizes are made to count the whole sample blocks it holds.
void CSoundFile::CutToWhatItHolds(const std::string& path, const WAVEFORMATEX& format)
{
    // Shared: the recording's journal may still hold the file open.
    korvane::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return;
    const auto seek = [&file](uint64_t to) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(to);
        return SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) != FALSE;
    };
    const uint32_t offset = korvane::SampleDataOffset(format.cbSize);
    const uint64_t fileBytes = static_cast<uint64_t>(size.QuadPart);
    uint32_t claimed = 0;
    DWORD done = 0;
    if (fileBytes < offset || !seek(offset - 4) ||
        !ReadFile(file.Get(), &claimed, 4, &done, nullptr) || done != 4)
        return;
    const uint32_t block = format.nBlockAlign ? format.nBlockAlign : 1;
    const uint64_t held = (fileBytes - offset) / block * block;
    if (claimed <= held)
        return;  // the usual case: the sizes are true
    const uint32_t data = static_cast<uint32_t>(held);
    const uint32_t riff = korvane::RiffSizeField(korvane::FormatChunkBytes(format.cbSize), data);
    if (!seek(4) || !WriteFile(file.Get(), &riff, 4, &done, nullptr) || !seek(offset - 4) ||
        !WriteFile(file.Get(), &data, 4, &done, nullptr))
        return;
    // A part-block at the end goes; an odd count keeps one byte of it as its pad.
    if (seek(offset + korvane::PaddedChunkBytes(data)))
        SetEndOfFile(file.Get());
}

bool CSoundFile::CreateForWriting()
{
    if (m_hmmio)
        return false;
    // Not exclusive: the recording's journal flushes the file to disk through a handle
    // of its own. The name is reserved for this recording, so no one else opens it.
    m_hmmio =
        korvane::MmioFile(mmioOpenA(const_cast<char*>(m_path.c_str()), nullptr,
                                    MMIO_ALLOCBUF | MMIO_CREATE | MMIO_DENYNONE | MMIO_WRITE));
    if (!m_hmmio) {
        m_openMode = NotOpen;
        return false;
    }
    m_riffChunk = MMCKINFO();
    m_riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    mmioCreateChunk(m_hmmio.Get(), &m_riffChunk, MMIO_CREATERIFF);

    const LONG formatBytes = korvane::FormatChunkBytes(m_format.cbSize);
    m_chunk = MMCKINFO();
    m_chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    m_chunk.cksize = formatBytes;
    mmioCreateChunk(m_hmmio.Get(), &m_chunk, 0);
    // The record holds no bytes past cbSize, so a format with extras writes zeros for
    // them rather than reading past the record.
    std::string formatChunk(formatBytes, '\0');
    std::memcpy(&formatChunk[0], &m_format, korvane::kWaveFormatRecordBytes);
    mmioWrite(m_hmmio.Get(), &formatChunk[0], formatBytes);
    mmioAscend(m_hmmio.Get(), &m_chunk, 0);

    m_chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    mmioCreateChunk(m_hmmio.Get(), &m_chunk, 0);
    return true;
}

bool CSoundFile::FailReading(const char* message)
{
    korvane::Audio().ShowMessage(nullptr, message, "Korvane", MB_OK);
    m_hmmio.Reset();
    m_openMode = NotOpen;
    return false;
}

bool CSoundFile::OpenForReading()
{
    if (m_hmmio)
        return false;
    m_hmmio = korvane::MmioFile(mmioOpenA(const_cast<char*>(m_path.c_str()), nullptr, MMIO_READ));
    if (!m_hmmio) {
        m_openMode = NotOpen;
        return false;
    }
    const LONG fileBytes = mmioSeek(m_hmmio.Get(), 0, SEEK_END);
    const korvane::WaveFileParts parts = korvane::ReadWaveFileParts(
        [this](uint64_t offset, void* out, std::size_t bytes) -> std::size_t {
            if (mmioSeek(m_hmmio.Get(), static_cast<LONG>(offset), SEEK_SET) !=
                static_cast<LONG>(offset))
                return 0;
            const LONG got =
                mmioRead(m_hmmio.Get(), static_cast<HPSTR>(out), static_cast<LONG>(bytes));
            return got > 0 ? static_cast<std::size_t>(got) : 0;
        },
        fileBytes > 0 ? static_cast<uint64_t>(fileBytes) : 0);
    switch (parts.status) {
    case korvane::WaveFileStatus::NotWave: return FailReading("Error descending into file");
    case korvane::WaveFileStatus::NoFormat: return FailReading("Error descending in wave file");
    case korvane::WaveFileStatus::NoData: return FailReading("error reading data chunk");
    case korvane::WaveFileStatus::Ok: break;
    }
    std::memcpy(&m_format, parts.formatRecord, sizeof parts.formatRecord);
    m_riffChunk.ckid = mmioFOURCC('R', 'I', 'F', 'F');
    m_riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    m_chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    m_chunk.cksize = parts.dataBytes;
    m_chunk.dwDataOffset = static_cast<DWORD>(parts.dataOffset);
    // Where a reader of the samples expects to be, as after descending into the chunk.
    mmioSeek(m_hmmio.Get(), static_cast<LONG>(parts.dataOffset), SEEK_SET);
    return true;
}
