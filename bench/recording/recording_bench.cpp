// Recording benchmark: records a scrolling text window with the real recording thread at
// a chosen frame rate and compressor, for each area asked for (default 640x480, 1280x720
// and, on a desktop that large, 1920x1080), and prints frames written, distinct positions
// per second, the average grab, encode-and-write and loop times, the CPU time of the
// recorder's own threads (grab loop and writer) apart from the test painter's and the
// message pump's, and the private bytes after the recording. Run by hand through run.sh.
//   recording_bench [SECONDS [FPS [FOURCC [WxH...]]]]
//   recording_bench paint WxH SECONDS    (only the scrolling window, for another recorder)
#include "app/recording_report.h"
#include "capture/recording_stats.h"
#include "host_main.h"
#include "kernel_owners.h"

#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {
DWORD scrollStart = 0;
std::atomic<DWORD> painterThread{0};

// Lines of text moving up 90 pixels a second: every frame differs from the last.
void PaintScroll(HDC mem, const RECT& client)
{
    painterThread = GetCurrentThreadId();
    FillRect(mem, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int lineHeight = 18;
    const unsigned offset = (timeGetTime() - scrollStart) * 90 / 1000;
    const unsigned firstLine = offset / lineHeight;
    const int shift = static_cast<int>(offset % lineHeight);
    for (int y = -shift, n = 0; y < client.bottom; y += lineHeight, ++n) {
        char text[160];
        const unsigned line = firstLine + n;
        std::snprintf(text, sizeof text,
                      "%06u  The quick brown fox jumps over the lazy dog; pack my box with five "
                      "dozen liquor jugs. %u",
                      line, line * 7919u);
        SetTextColor(mem, (line % 5 == 0) ? RGB(180, 0, 0) : RGB(0, 0, 0));
        TextOutA(mem, 8, y, text, lstrlenA(text));
    }
}

double Seconds(const FILETIME& t)
{
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

// CPU seconds (kernel and user) of each thread of this process now.
std::map<DWORD, double> ThreadCpuSeconds()
{
    std::map<DWORD, double> cpu;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return cpu;
    const korvane::KernelHandle owner(snapshot);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        const korvane::KernelHandle thread(
            OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, exited, kernel, user;
        if (thread && GetThreadTimes(thread.Get(), &created, &exited, &kernel, &user))
            cpu[entry.th32ThreadID] = Seconds(kernel) + Seconds(user);
    }
    return cpu;
}

// What each kind of thread used between two readings: the painter, this (the pump's)
// thread, and the rest, which are the recorder's (the recording thread and the writer).
struct CpuSplit {
    double recorder = 0, painter = 0, pump = 0;
    int recorderThreads = 0;
};
CpuSplit SplitCpu(const std::map<DWORD, double>& before, const std::map<DWORD, double>& after)
{
    CpuSplit split;
    for (const auto& t : after) {
        const auto was = before.find(t.first);
        const double used = t.second - (was == before.end() ? 0 : was->second);
        if (t.first == painterThread)
            split.painter += used;
        else if (t.first == GetCurrentThreadId())
            split.pump += used;
        else {
            split.recorder += used;
            ++split.recorderThreads;
        }
    }
    return split;
}

// The movie's size (its first part), to weigh a codec setting's speed against its size.
double FileMegabytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
}

bool RunOne(int width, int height, int seconds)
{
    scrollStart = timeGetTime();
    PainterWindow scroller("RecordingBenchScroll", RECT{0, 0, width, height}, 10, PaintScroll);
    MessageSink sink;
    sink.PumpFor(500);

    captureRect = RECT{0, 0, width - 1, height - 1};
    const double start = korvane::StatsClockSeconds();
    const double cpuStart = ProcessCpuSeconds();
    double privateMb = 0;
    CpuSplit split;
    double splitSeconds = 1;
    sink.Record([&] {
        // The recording thread is running (its set-up may be too): from here to the stop.
        const std::map<DWORD, double> before = ThreadCpuSeconds();
        const double from = korvane::StatsClockSeconds();
        sink.PumpFor(static_cast<DWORD>(seconds) * 1000);
        privateMb = PrivateMegabytes();
        split = SplitCpu(before, ThreadCpuSeconds());
        splitSeconds = korvane::StatsClockSeconds() - from;
    });
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double total = korvane::StatsClockSeconds() - start;
    const bool finished = sink.received.size() == 1 && sink.received[0] == "WM_USER_GENERIC_MSG";

    const korvane::RecordingStats& s = recordingReport.stats;
    const double loopSeconds = s.loopSeconds > 0 ? s.loopSeconds : 1;
    std::printf(
        "%4dx%-4d  %-11s %6u %7u %10.1f %10.1f %8.2f %9.2f %8.2f %7.1f %8.0f %8.0f "
        "%8.0f %8.0f %8.1f %7.2f\n",
        width, height, finished ? "finished" : "interrupted", s.grabs, s.framesWritten,
        s.framesWritten / loopSeconds, (s.lastWrittenIndex + 1) / loopSeconds,
        s.grabs ? 1000 * s.grabSeconds / s.grabs : 0,
        s.framesWritten ? 1000 * s.writeSeconds / s.framesWritten : 0,
        s.grabs ? 1000 * s.loopSeconds / s.grabs : 0, total, 1000 * split.recorder / splitSeconds,
        1000 * split.painter / splitSeconds, 1000 * split.pump / splitSeconds, 1000 * cpu / total,
        privateMb, FileMegabytes(tempAviPath) / loopSeconds);
    std::fflush(stdout);
    DeleteFileA(tempAviPath.c_str());
    return finished;
}

// Only the scrolling window at the top left, for `seconds`: what another recorder records
// beside this one.
int PaintOnly(int width, int height, int seconds)
{
    scrollStart = timeGetTime();
    PainterWindow scroller("RecordingBenchScroll", RECT{0, 0, width, height}, 10, PaintScroll);
    MessageSink sink;
    sink.PumpFor(static_cast<DWORD>(seconds) * 1000);
    return 0;
}

bool ReadSize(const char* text, int& width, int& height)
{
    return std::sscanf(text, "%dx%d", &width, &height) == 2 && width > 0 && height > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    UseScreenSettings();
    ParkPointer();
    if (argc == 4 && std::strcmp(argv[1], "paint") == 0) {
        int width = 0, height = 0;
        if (!ReadSize(argv[2], width, height))
            return 2;
        return PaintOnly(width, height, std::atoi(argv[3]));
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const int fps = argc > 2 ? std::atoi(argv[2]) : 25;
    const char* fourCC = argc > 3 ? argv[3] : "MSVC";
    if (seconds <= 0 || fps <= 0 || std::strlen(fourCC) != 4) {
        std::fprintf(stderr, "usage: recording_bench [SECONDS [FPS [FOURCC [WxH...]]]]\n");
        return 2;
    }
    settings.recordAudio = 0;
    settings.framesPerSecond = fps;
    settings.frameIntervalMs = 1000 / fps;
    settings.keyFrameEvery = fps;
    settings.compressorFourCC = mmioFOURCC(fourCC[0], fourCC[1], fourCC[2], fourCC[3]);

    std::vector<std::pair<int, int>> areas;
    for (int i = 4; i < argc; ++i) {
        int width = 0, height = 0;
        if (!ReadSize(argv[i], width, height))
            return 2;
        areas.emplace_back(width, height);
    }
    if (areas.empty()) {
        areas = {{640, 480}, {1280, 720}};
        if (screenWidth >= 1920 && screenHeight >= 1080)
            areas.emplace_back(1920, 1080);
    }

    std::printf(
        "Recording %d s of scrolling text at %d fps, %s, %d-bit desktop %dx%d, quality "
        "%d\n",
        seconds, fps, fourCC, settings.captureBitsPerPixel, screenWidth, screenHeight,
        settings.compressorQuality);
    std::printf(
        "area       end          grabs written distinct/s timeline/s  grab ms enc+wr ms  "
        "loop ms  wall s  rec ms/s paint ms/s pump ms/s proc ms/s  priv MB  file MB/s\n");
    bool ok = true;
    for (const auto& area : areas) {
        if (area.first > screenWidth || area.second > screenHeight) {
            std::printf("%4dx%-4d  larger than the desktop\n", area.first, area.second);
            continue;
        }
        ok = RunOne(area.first, area.second, seconds) && ok;
    }
    return ok ? 0 : 1;
}
