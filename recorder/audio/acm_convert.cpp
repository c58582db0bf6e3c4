// The merge's audio conversion through the ACM. UI thread.
//
// The encoder is fed in chunks of whole compressed blocks; what it leaves unused is
// carried to the next chunk, and the last remainder is padded with silence to one more
// block rather than lost.
#include "acm_convert.h"

#include "audio_owners.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace korvane {

namespace {

// A non-real-time conversion from `source` to `target`; empty if no driver can.
AcmStream OpenAcmStream(const WAVEFORMATEX* source, const WAVEFORMATEX* target)
{
    AcmStream stream;
    if (acmStreamOpen(stream.Receive(), nullptr, const_cast<WAVEFORMATEX*>(source),
                      const_cast<WAVEFORMATEX*>(target), nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0)
        stream.Discard();
    stream.NoteReceived();
    return stream;
}

// A stream header prepared on two buffers for the life of the object.
class PreparedHeader {
public:
    PreparedHeader(HACMSTREAM has, std::vector<BYTE>& source, std::vector<BYTE>& target)
        : m_has(has), m_header()
    {
        m_header.cbStruct = sizeof m_header;
        m_header.pbSrc = source.data();
        m_header.cbSrcLength = static_cast<DWORD>(source.size());
        m_header.pbDst = target.data();
        m_header.cbDstLength = static_cast<DWORD>(target.size());
        m_prepared = acmStreamPrepareHeader(m_has, &m_header, 0) == 0;
        m_sourceBytes = m_header.cbSrcLength;
    }
    ~PreparedHeader()
    {
        if (m_prepared) {
            m_header.cbSrcLength = m_sourceBytes;
            acmStreamUnprepareHeader(m_has, &m_header, 0);
        }
    }
    PreparedHeader(const PreparedHeader&) = delete;
    PreparedHeader& operator=(const PreparedHeader&) = delete;

    bool Prepared() const { return m_prepared; }
    // Converts the first `bytes` of the source buffer; false on a driver error.
    bool Convert(DWORD bytes, DWORD flags)
    {
        m_header.cbSrcLength = bytes;
        m_header.cbSrcLengthUsed = 0;
        m_header.cbDstLengthUsed = 0;
        return acmStreamConvert(m_has, &m_header, flags) == 0;
    }
    DWORD SourceUsed() const { return m_header.cbSrcLengthUsed; }
    DWORD TargetUsed() const { return m_header.cbDstLengthUsed; }

private:
    HACMSTREAM m_has;
    ACMSTREAMHEADER m_header;
    bool m_prepared;
    DWORD m_sourceBytes;
};

// The converted file: a WAV file with the compressed format, a `fact` chunk with the
// sample count, and the data. Ascending the chunks on close writes their sizes.
class CompressedWav {
public:
    CompressedWav() = default;
    ~CompressedWav() { Close(); }
    CompressedWav(const CompressedWav&) = delete;
    CompressedWav& operator=(const CompressedWav&) = delete;

    bool Create(const std::string& path, const WAVEFORMATEX* format, int formatSize)
    {
        DeleteFileA(path.c_str());
        std::vector<char> name(path.begin(), path.end());
        name.push_back('\0');
        m_hmmio =
            MmioFile(mmioOpenA(name.data(), nullptr, MMIO_CREATE | MMIO_WRITE | MMIO_ALLOCBUF));
        if (!m_hmmio)
            return false;
        m_riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
        if (mmioCreateChunk(m_hmmio.Get(), &m_riff, MMIO_CREATERIFF) != 0)
            return false;
        m_riffOpen = true;
        MMCKINFO fmt = {};
        fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
        if (mmioCreateChunk(m_hmmio.Get(), &fmt, 0) != 0 ||
            mmioWrite(m_hmmio.Get(), reinterpret_cast<const char*>(format), formatSize) !=
                formatSize ||
            mmioAscend(m_hmmio.Get(), &fmt, 0) != 0)
            return false;
        MMCKINFO fact = {};
        fact.ckid = mmioFOURCC('f', 'a', 'c', 't');
        const DWORD none = 0;
        if (mmioCreateChunk(m_hmmio.Get(), &fact, 0) != 0)
            return false;
        m_factOffset = mmioSeek(m_hmmio.Get(), 0, SEEK_CUR);
        if (mmioWrite(m_hmmio.Get(), reinterpret_cast<const char*>(&none), sizeof none) !=
                sizeof none ||
            mmioAscend(m_hmmio.Get(), &fact, 0) != 0)
            return false;
        m_data.ckid = mmioFOURCC('d', 'a', 't', 'a');
        if (mmioCreateChunk(m_hmmio.Get(), &m_data, 0) != 0)
            return false;
        m_dataOpen = true;
        return true;
    }
    bool Write(const BYTE* bytes, DWORD count)
    {
        return mmioWrite(m_hmmio.Get(), reinterpret_cast<const char*>(bytes),
                         static_cast<LONG>(count)) == static_cast<LONG>(count);
    }
    // Ends the data and notes the number of samples; false if the file is incomplete.
    bool Finish(DWORD samples)
    {
        if (!m_dataOpen || mmioAscend(m_hmmio.Get(), &m_data, 0) != 0)
            return false;
        m_dataOpen = false;
        const LONG end = mmioSeek(m_hmmio.Get(), 0, SEEK_CUR);
        if (mmioSeek(m_hmmio.Get(), m_factOffset, SEEK_SET) != m_factOffset ||
            mmioWrite(m_hmmio.Get(), reinterpret_cast<const char*>(&samples), sizeof samples) !=
                sizeof samples ||
            mmioSeek(m_hmmio.Get(), end, SEEK_SET) != end)
            return false;
        m_riffOpen = false;
        if (mmioAscend(m_hmmio.Get(), &m_riff, 0) != 0)
            return false;
        return CloseMmioFile(m_hmmio);
    }

private:
    void Close()
    {
        if (!m_hmmio)
            return;
        if (m_dataOpen)
            mmioAscend(m_hmmio.Get(), &m_data, 0);
        if (m_riffOpen)
            mmioAscend(m_hmmio.Get(), &m_riff, 0);
        m_hmmio.Reset();
    }

    MmioFile m_hmmio;
    MMCKINFO m_riff = {};
    MMCKINFO m_data = {};
    bool m_riffOpen = false;
    bool m_dataOpen = false;
    LONG m_factOffset = 0;
};

// The PCM format of the stream at `start`, as a plain record.
bool ReadPcmFormat(PAVISTREAM pcm, LONG start, WAVEFORMATEX& source)
{
    LONG formatSize = 0;
    AVIStreamReadFormat(pcm, start, nullptr, &formatSize);
    std::vector<BYTE> formatBlock(std::max<LONG>(formatSize, sizeof(WAVEFORMATEX)));
    if (formatSize <= 0 || AVIStreamReadFormat(pcm, start, formatBlock.data(), &formatSize) != 0)
        return false;
    std::memcpy(&source, formatBlock.data(), sizeof source);
    source.cbSize = 0;
    return source.wFormatTag == WAVE_FORMAT_PCM && source.nBlockAlign != 0;
}

// Source bytes that make one compressed block, a chunk of sixteen blocks, and what the
// encoder may make of a chunk with one block carried over.
struct ChunkSizes {
    DWORD perBlock = 0;
    DWORD chunk = 0;
    DWORD targetBytes = 0;
};

bool MeasureChunks(HACMSTREAM has, const WAVEFORMATEX& source, const WAVEFORMATEX* target,
                   ChunkSizes& sizes)
{
    DWORD perBlock = 0;
    if (acmStreamSize(has, target->nBlockAlign, &perBlock, ACM_STREAMSIZEF_DESTINATION) != 0 ||
        perBlock == 0)
        return false;
    sizes.perBlock = (perBlock + source.nBlockAlign - 1) / source.nBlockAlign * source.nBlockAlign;
    sizes.chunk = sizes.perBlock * 16;
    return acmStreamSize(has, sizes.chunk + sizes.perBlock, &sizes.targetBytes,
                         ACM_STREAMSIZEF_SOURCE) == 0;
}

// A target format record that is whole: its extra bytes within `targetSize`.
bool UsableTarget(const WAVEFORMATEX* target, int targetSize)
{
    if (!target || targetSize < static_cast<int>(sizeof(PCMWAVEFORMAT)) || target->nBlockAlign == 0)
        return false;
    return targetSize >= static_cast<int>(sizeof(WAVEFORMATEX)) + target->cbSize ||
           target->wFormatTag == WAVE_FORMAT_PCM;
}

bool Convert(PAVISTREAM pcm, const WAVEFORMATEX* target, int targetSize, const std::string& path,
             AVISAVECALLBACK progress)
{
    if (!UsableTarget(target, targetSize))
        return false;
    const LONG start = AVIStreamStart(pcm);
    WAVEFORMATEX source;
    if (!ReadPcmFormat(pcm, start, source))
        return false;
    const AcmStream acm = OpenAcmStream(&source, target);
    ChunkSizes sizes;
    if (!acm || !MeasureChunks(acm.Get(), source, target, sizes))
        return false;
    const DWORD perBlock = sizes.perBlock;
    const DWORD chunk = sizes.chunk;
    std::vector<BYTE> in(chunk + perBlock);
    std::vector<BYTE> out(sizes.targetBytes + target->nBlockAlign);
    PreparedHeader header(acm.Get(), in, out);
    if (!header.Prepared())
        return false;

    CompressedWav file;
    if (!file.Create(path, target, targetSize))
        return false;

    const BYTE silence = source.wBitsPerSample == 8 ? 0x80 : 0x00;
    const LONG end = AVIStreamEnd(pcm);
    LONG position = start;
    DWORD written = 0;  // compressed bytes
    DWORD samples = 0;  // source samples they hold
    DWORD pending = 0;  // bytes at the start of `in` still to convert
    for (;;) {
        bool last = false;
        if (position < end) {
            const LONG wanted = static_cast<LONG>((chunk - pending) / source.nBlockAlign);
            LONG bytes = 0, samples = 0;
            if (AVIStreamRead(pcm, position, std::min(wanted, end - position), in.data() + pending,
                              chunk - pending, &bytes, &samples) != 0 ||
                samples <= 0)
                return false;
            position += samples;
            pending += bytes;
        }
        if (position >= end) {
            last = true;
            const DWORD padded = (pending + perBlock - 1) / perBlock * perBlock;
            std::memset(in.data() + pending, silence, padded - pending);
            pending = padded;
        }
        if (pending != 0) {
            if (!header.Convert(pending,
                                last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN))
                return false;
            if (!file.Write(out.data(), header.TargetUsed()))
                return false;
            written += header.TargetUsed();
            const DWORD used = std::min(header.SourceUsed(), pending);
            samples += used / source.nBlockAlign;
            if (used == 0 && !last)
                return false;  // a driver that takes nothing would loop for ever
            std::memmove(in.data(), in.data() + used, pending - used);
            pending -= used;
        }
        if (progress && end > start)
            progress(static_cast<int>((position - start) * 100LL / (end - start)));
        if (last)
            return written > 0 && file.Finish(samples);
    }
}

}  // namespace

bool ConvertAudioToFile(PAVISTREAM pcm, const WAVEFORMATEX* target, int targetSize,
                        const std::string& path, AVISAVECALLBACK progress)
{
    if (Convert(pcm, target, targetSize, path, progress))
        return true;
    DeleteFileA(path.c_str());
    return false;
}

}  // namespace korvane
