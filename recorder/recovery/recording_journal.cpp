// The journal of open recordings and its flushing thread. The thread runs while at least one
// part records and is joined by the EndRecordingPart that ends the last one.
#include "recording_journal.h"

#include "exception_barrier.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korvane {

namespace {

constexpr auto kFlushInterval = std::chrono::milliseconds(1000);

struct OpenPart {
    RecordingDescription description;
    std::string descriptionPath;
    KernelHandle descriptionFile;
    KernelHandle avi;  // for flushing only; the writer has its own
    KernelHandle wav;
    std::function<void()> flushBuffered;
    bool recording = false;
};

std::mutex journalLock;
std::vector<std::unique_ptr<OpenPart>> parts;
std::condition_variable wake;
std::thread flusher;
bool flusherStop = false;
FlushTally tally;

std::vector<std::unique_ptr<OpenPart>>::iterator Find(const std::string& aviPath)
{
    for (auto it = parts.begin(); it != parts.end(); ++it)
        if ((*it)->description.aviPath == aviPath)
            return it;
    return parts.end();
}

bool AnyRecording()
{
    for (const auto& p : parts)
        if (p->recording)
            return true;
    return false;
}

KernelHandle OpenForFlushing(const std::string& path)
{
    if (path.empty())
        return KernelHandle();
    return KernelHandle(CreateFileA(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void FlushOpenParts()
{
    const auto start = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(journalLock);
    for (const auto& p : parts) {
        if (!p->recording)
            continue;
        if (p->flushBuffered)
            p->flushBuffered();
        if (p->avi)
            FlushFileBuffers(p->avi.Get());
        if (p->wav)
            FlushFileBuffers(p->wav.Get());
    }
    ++tally.flushes;
    tally.seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void FlusherMain()
{
    std::unique_lock<std::mutex> lock(journalLock);
    while (!flusherStop) {
        wake.wait_for(lock, kFlushInterval);
        if (flusherStop)
            break;
        lock.unlock();
        FlushOpenParts();
        lock.lock();
    }
}

}  // namespace

KernelHandle OpenDescriptionForWriting(const std::string& path, DWORD disposition)
{
    return KernelHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool RewriteFile(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
           WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size() && SetEndOfFile(file) && FlushFileBuffers(file);
}

bool BeginRecordingPart(const RecordingDescription& d, std::function<void()> flushBuffered)
{
    auto part = std::make_unique<OpenPart>();
    part->description = d;
    part->descriptionPath = DescriptionPathFor(d.aviPath);
    part->descriptionFile = OpenDescriptionForWriting(part->descriptionPath, CREATE_ALWAYS);
    if (!part->descriptionFile || !RewriteFile(part->descriptionFile.Get(), FormatDescription(d))) {
        part->descriptionFile.Reset();
        DeleteFileA(part->descriptionPath.c_str());
        return false;
    }
    part->avi = OpenForFlushing(d.aviPath);
    part->wav = OpenForFlushing(d.wavPath);
    part->flushBuffered = std::move(flushBuffered);
    part->recording = true;

    std::lock_guard<std::mutex> lock(journalLock);
    parts.push_back(std::move(part));
    if (!flusher.joinable()) {
        flusherStop = false;
        // A flush that throws ends the flushing, never the process.
        flusher = std::thread([] { GuardThreadEntry("the journal's flusher", FlusherMain); });
    }
    return true;
}

bool AddRecordingPart(const std::string& firstAviPath, const LaterPart& part)
{
    std::lock_guard<std::mutex> lock(journalLock);
    const auto it = Find(firstAviPath);
    if (it == parts.end() || !(*it)->recording)
        return false;
    OpenPart& p = **it;
    p.description.laterParts.push_back(part);
    p.avi = OpenForFlushing(part.aviPath);
    return RewriteFile(p.descriptionFile.Get(), FormatDescription(p.description));
}

void EndRecordingPart(const std::string& aviPath)
{
    std::thread ended;
    {
        std::lock_guard<std::mutex> lock(journalLock);
        const auto it = Find(aviPath);
        if (it != parts.end()) {
            OpenPart& p = **it;
            p.recording = false;
            p.flushBuffered = nullptr;
            p.avi.Reset();
            p.wav.Reset();
            p.description.complete = true;
            p.description.reservePath.clear();
            RewriteFile(p.descriptionFile.Get(), FormatDescription(p.description));
        }
        if (!AnyRecording() && flusher.joinable()) {
            flusherStop = true;
            ended = std::move(flusher);
        }
    }
    wake.notify_all();
    if (ended.joinable())
        ended.join();
}

bool AdoptRecordingPart(const RecordingDescription& d, KernelHandle file,
                        const std::string& descriptionPath)
{
    if (!RewriteFile(file.Get(), FormatDescription(d)))
        return false;
    auto part = std::make_unique<OpenPart>();
    part->description = d;
    part->descriptionPath = descriptionPath;
    part->descriptionFile = std::move(file);
    std::lock_guard<std::mutex> lock(journalLock);
    parts.push_back(std::move(part));
    return true;
}

void ForgetRecordingPart(const std::string& aviPath)
{
    std::unique_ptr<OpenPart> gone;
    {
        std::lock_guard<std::mutex> lock(journalLock);
        const auto it = Find(aviPath);
        if (it == parts.end() || (*it)->recording)
            return;
        gone = std::move(*it);
        parts.erase(it);
    }
    // Deleted while still held, so no other instance can claim it in between.
    DeleteFileA(gone->descriptionPath.c_str());
    gone->descriptionFile.Reset();
    DeleteFileA(gone->descriptionPath.c_str());
}

FlushTally RecordingFlushTally()
{
    std::lock_guard<std::mutex> lock(journalLock);
    return tally;
}

}  // namespace korvane
