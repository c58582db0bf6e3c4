// Finding, rebuilding and deleting interrupted recordings. The rebuilt AVI file is made
// by the platform's own writer, so it is the same kind of file a recording leaves.
#include "recording_rebuild.h"

#include "app/scratch_paths.h"
#include "ansi_text.h"
#include "avi_salvage.h"
#include "avifile_owners.h"
#include "recording_journal.h"
#include "wav_salvage.h"

#include <vfw.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace korvane {

namespace {

constexpr DWORD kMaxDescriptionBytes = 64 * 1024;

// A file read by offset for the salvage.
class FileBytes : public ByteSource {
public:
    explicit FileBytes(HANDLE file) : m_file(file)
    {
        LARGE_INTEGER size = {};
        if (GetFileSizeEx(file, &size))
            m_size = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t Size() const override { return m_size; }
    size_t Read(uint64_t offset, void* to, size_t bytes) override
    {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (!SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) ||
            !ReadFile(m_file, to, static_cast<DWORD>(bytes), &got, nullptr))
            return 0;
        return got;
    }

private:
    HANDLE m_file;
    uint64_t m_size = 0;
};

KernelHandle OpenForReading(const std::string& path)
{
    return KernelHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadAll(HANDLE file)
{
    std::string text(kMaxDescriptionBytes, '\0');
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(file, &text[0], kMaxDescriptionBytes, &got, nullptr))
        got = 0;
    text.resize(got);
    return text;
}

bool InUse(const std::vector<std::string>& inUse, const std::string& path)
{
    return std::any_of(inUse.begin(), inUse.end(), [&path](const std::string& p) {
        return !p.empty() && lstrcmpiA(p.c_str(), path.c_str()) == 0;
    });
}

void DeleteUnlessInUse(const std::string& path, const std::vector<std::string>& inUse)
{
    if (!path.empty() && !InUse(inUse, path))
        DeleteFileA(path.c_str());
}

SalvagedVideo SalvageVideo(const RecordingDescription& d, const std::string& path,
                           KernelHandle& file)
{
    file = OpenForReading(path);
    if (!file)
        return SalvagedVideo();
    FileBytes bytes(file.Get());
    return SalvageAviFrames(bytes, MaxFrameBytes(d));
}

// Every AVI file of the recording in order, the first with its position 0.
std::vector<LaterPart> AllParts(const RecordingDescription& d)
{
    std::vector<LaterPart> all{LaterPart{d.aviPath, d.mergedPath, 0}};
    all.insert(all.end(), d.laterParts.begin(), d.laterParts.end());
    return all;
}

bool SalvageSound(const RecordingDescription& d, KernelHandle& file, SalvagedWav& wav)
{
    if (d.wavPath.empty())
        return false;
    file = KernelHandle(CreateFileA(d.wavPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    FileBytes bytes(file.Get());
    uint8_t head[kWavHeaderScanBytes];
    const size_t got = bytes.Read(0, head, sizeof head);
    return SalvageWav(head, static_cast<uint32_t>(got), bytes.Size(), d.audioFormat, wav) &&
           wav.dataBytes > 0;
}

bool WriteAt(HANDLE file, uint64_t offset, const void* data, DWORD bytes)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

// The WAV file's sizes (or its whole header, when that never reached the disk) and its
// end made to agree with the whole blocks it holds.
bool FixSound(HANDLE file, const SalvagedWav& wav)
{
    bool ok = true;
    if (wav.headerFound) {
        const uint32_t riff = RiffSizeFor(wav);
        ok = WriteAt(file, 4, &riff, 4) && WriteAt(file, wav.dataOffset - 4, &wav.dataBytes, 4);
    } else {
        const std::vector<uint8_t> header = WavHeaderFor(wav.formatChunk, wav.dataBytes);
        ok = WriteAt(file, 0, header.data(), static_cast<DWORD>(header.size()));
    }
    uint64_t end = wav.dataOffset + wav.dataBytes;
    if (ok && (wav.dataBytes & 1)) {
        const uint8_t pad = 0;
        ok = WriteAt(file, end, &pad, 1);
        ++end;
    }
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(end);
    return ok && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
           FlushFileBuffers(file);
}

DWORD FourCc(const std::string& text) { return mmioFOURCC(text[0], text[1], text[2], text[3]); }

// The frames copied into `path` by the platform's writer, each at its position.
bool WriteVideo(const RecordingDescription& d, const SalvagedVideo& video, HANDLE from,
                const std::string& path)
{
    AviFileLibrary library;
    AviFile file;
    if (AVIFileOpenA(file.Receive(), path.c_str(), OF_WRITE | OF_CREATE, nullptr) != 0)
        return false;
    file.NoteReceived();
    AVISTREAMINFOA info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = FourCc(d.compressor);
    info.dwScale = 1;
    info.dwRate = d.framesPerSecond;
    info.dwQuality = d.quality;
    info.dwSuggestedBufferSize = d.suggestedBufferBytes;
    SetRect(&info.rcFrame, 0, 0, static_cast<int>(d.width), static_cast<int>(d.height));
    AviStream stream;
    if (AVIFileCreateStreamA(file.Get(), stream.Receive(), &info) != 0)
        return false;
    stream.NoteReceived();
    std::vector<uint8_t> format = d.videoFormat;
    if (AVIStreamSetFormat(stream.Get(), 0, format.data(), static_cast<LONG>(format.size())) != 0)
        return false;
    FileBytes bytes(from);
    std::vector<uint8_t> data;
    for (const SalvagedFrame& f : video.frames) {
        // Skipped positions are filled by the writer when the next frame jumps them.
        if (f.bytes == 0)
            continue;
        data.resize(f.bytes);
        if (bytes.Read(f.dataOffset, data.data(), f.bytes) != f.bytes)
            return false;
        if (AVIStreamWrite(stream.Get(), static_cast<LONG>(f.position), 1, data.data(),
                           static_cast<LONG>(f.bytes), f.key ? AVIIF_KEYFRAME : 0, nullptr,
                           nullptr) != 0)
            return false;
    }
    return true;
}

std::string ReserveName(const std::string& folder, const char* first)
{
    srand(static_cast<unsigned>(time(nullptr)) ^ GetTickCount());
    return ChooseTempName(folder, first, ".avi", kTempNameTries, ReserveNewFile,
                          [] { return rand(); });
}

// Every part whose video is whole or can be made whole, in order; none when the first
// cannot. New files are deleted again when one cannot be written.
struct RebuiltParts {
    std::vector<LaterPart> kept;        // the parts as the finish takes them
    std::vector<std::string> made;      // new files: deleted again if the rebuild fails
    std::vector<std::string> replaced;  // damaged files and names of dropped parts
};

bool RebuildParts(const RecordingDescription& d, const std::string& folder, RebuiltParts& out)
{
    for (const LaterPart& part : AllParts(d)) {
        KernelHandle damaged;
        const SalvagedVideo video = SalvageVideo(d, part.aviPath, damaged);
        if (video.CodedFrames() == 0) {
            if (out.kept.empty())
                return false;
            out.replaced.insert(out.replaced.end(), {part.aviPath, part.mergedPath});
            continue;
        }
        LaterPart rebuilt = part;
        if (!video.finished) {
            rebuilt.aviPath = ReserveName(folder, "\\~temp.avi");
            if (!rebuilt.aviPath.empty())
                out.made.push_back(rebuilt.aviPath);
            if (rebuilt.aviPath.empty() || !WriteVideo(d, video, damaged.Get(), rebuilt.aviPath)) {
                for (const std::string& path : out.made)
                    DeleteFileA(path.c_str());
                return false;
            }
            out.replaced.push_back(part.aviPath);
        }
        out.kept.push_back(rebuilt);
    }
    return true;
}

// With sound, each part needs a free name for its merge; without, none keeps one.
void SettleMergedNames(std::vector<LaterPart>& kept, bool sound, const std::string& folder,
                       const std::vector<std::string>& inUse)
{
    for (LaterPart& part : kept) {
        const bool mergedFree =
            !part.mergedPath.empty() &&
            GetFileAttributesA(part.mergedPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
            !InUse(inUse, part.mergedPath);
        if (!sound) {
            if (mergedFree)
                DeleteFileA(part.mergedPath.c_str());
            part.mergedPath.clear();
        } else if (!mergedFree) {
            part.mergedPath = ReserveName(folder, "\\tempaudiovideomerge.avi");
        }
    }
}

}  // namespace

std::vector<InterruptedRecording> FindInterruptedRecordings(const std::string& folder,
                                                            std::vector<std::string>& inUse)
{
    std::vector<InterruptedRecording> found;
    WIN32_FIND_DATAA entry;
    const std::string pattern = folder + "\\*" + kDescriptionExtension;
    const FindHandle find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find)
        return found;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        InterruptedRecording r;
        r.descriptionPath = folder + "\\" + entry.cFileName;
        // Its writer holds it open for writing without sharing that: then it is live.
        r.claim = KernelHandle(CreateFileA(r.descriptionPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!r.claim) {
            RecordingDescription live;
            const KernelHandle peek = OpenForReading(r.descriptionPath);
            if (peek && ParseDescription(AnsiFromLegacyText(ReadAll(peek.Get())), live)) {
                inUse.insert(inUse.end(), {live.wavPath, live.reservePath});
                for (const LaterPart& part : AllParts(live))
                    inUse.insert(inUse.end(), {part.aviPath, part.mergedPath});
            }
            continue;
        }
        // An earlier version wrote its paths in the system's code page.
        r.readable = ParseDescription(AnsiFromLegacyText(ReadAll(r.claim.Get())), r.description) &&
                     NamesOnlyFilesIn(r.description, folder);
        if (r.readable) {
            for (const LaterPart& part : AllParts(r.description)) {
                KernelHandle avi;
                r.positions += static_cast<uint32_t>(
                    SalvageVideo(r.description, part.aviPath, avi).frames.size());
            }
            KernelHandle wav;
            SalvagedWav sound;
            r.hasSound = SalvageSound(r.description, wav, sound);
        }
        found.push_back(std::move(r));
    } while (FindNextFileA(find.Get(), &entry));
    return found;
}

bool RebuildRecording(InterruptedRecording& r, const std::string& folder,
                      const std::vector<std::string>& inUse, RebuiltRecording& out)
{
    if (!r.readable)
        return false;
    RecordingDescription d = r.description;
    // The room it held was for a recording that no longer runs.
    DeleteUnlessInUse(d.reservePath, inUse);
    d.reservePath.clear();

    RebuiltParts parts;
    if (!RebuildParts(d, folder, parts))
        return false;
    std::vector<LaterPart>& kept = parts.kept;
    std::vector<std::string>& made = parts.made;

    KernelHandle wavFile;
    SalvagedWav wav;
    const bool sound = SalvageSound(d, wavFile, wav) && FixSound(wavFile.Get(), wav);
    wavFile.Reset();
    if (!sound) {
        DeleteUnlessInUse(d.wavPath, inUse);
        d.wavPath.clear();
        d.audioFormat.clear();
    }
    SettleMergedNames(kept, sound, folder, inUse);

    d.aviPath = kept.front().aviPath;
    d.mergedPath = kept.front().mergedPath;
    d.laterParts.assign(kept.begin() + 1, kept.end());
    d.complete = true;
    if (!AdoptRecordingPart(d, std::move(r.claim), r.descriptionPath)) {
        for (const std::string& path : made)
            DeleteFileA(path.c_str());
        return false;
    }
    for (const std::string& path : parts.replaced)
        DeleteUnlessInUse(path, inUse);
    out.aviPath = d.aviPath;
    out.wavPath = d.wavPath;
    out.mergedPath = d.mergedPath;
    out.laterParts = d.laterParts;
    out.framesPerSecond = d.framesPerSecond;
    return true;
}

void DeleteInterruptedRecording(InterruptedRecording& r, const std::vector<std::string>& inUse)
{
    if (r.readable) {
        for (const LaterPart& part : AllParts(r.description)) {
            DeleteUnlessInUse(part.aviPath, inUse);
            DeleteUnlessInUse(part.mergedPath, inUse);
        }
        DeleteUnlessInUse(r.description.wavPath, inUse);
        DeleteUnlessInUse(r.description.reservePath, inUse);
    }
    DeleteFileA(r.descriptionPath.c_str());
    r.claim.Reset();
    DeleteFileA(r.descriptionPath.c_str());
}

}  // namespace korvane
