// Recording benchmark: records 20 s of a scrolling text window at 25 fps for 640x480,
// 1280x720 and (on a desktop that large) 1920x1080 areas with the real recording thread,
// and prints frames written, distinct positions per second, the average grab,
// encode-and-write and loop times, the process's CPU time per frame and per second
// recorded, and its private bytes after the recording. Run by hand through run.sh (the Video 1 codec installed).
//   recording_bench [SECONDS]
#include "app/recording_report.h"
#include "capture/recording_stats.h"
#include "host_main.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

namespace {
DWORD scrollStart = 0;

// Lines of text moving up 90 pixels a second: every frame differs from the last.
void PaintScroll(HDC mem, const RECT& client)
{
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

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
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
    sink.Record([&] {
        sink.PumpFor(static_cast<DWORD>(seconds) * 1000);
        privateMb = PrivateMegabytes();
    });
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double total = korvane::StatsClockSeconds() - start;
    const bool finished = sink.received.size() == 1 && sink.received[0] == "WM_USER_GENERIC_MSG";

    const korvane::RecordingStats& s = recordingReport.stats;
    const double loopSeconds = s.loopSeconds > 0 ? s.loopSeconds : 1;
    std::printf("%4dx%-4d  %-11s %6u %7u %10.1f %10.1f %8.2f %9.2f %8.2f %7.1f %8.2f %8.0f %8.1f\n",
                width, height, finished ? "finished" : "interrupted", s.grabs, s.framesWritten,
                s.framesWritten / loopSeconds, (s.lastWrittenIndex + 1) / loopSeconds,
                s.grabs ? 1000 * s.grabSeconds / s.grabs : 0,
                s.framesWritten ? 1000 * s.writeSeconds / s.framesWritten : 0,
                s.grabs ? 1000 * s.loopSeconds / s.grabs : 0, total,
                s.grabs ? 1000 * cpu / s.grabs : 0, 1000 * cpu / total, privateMb);
    std::fflush(stdout);
    DeleteFileA(tempAviPath.c_str());
    return finished;
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    UseScreenSettings();
    settings.recordAudio = 0;
    if (screenWidth < 1280 || screenHeight < 720) {
        std::fprintf(stderr, "the desktop is %dx%d; 1280x720 is needed\n", screenWidth,
                     screenHeight);
        return 2;
    }
    ParkPointer();

    std::printf(
        "Recording %d s of scrolling text at %d fps, %d-bit desktop %dx%d, Video 1 quality %d\n",
        seconds, settings.framesPerSecond, settings.captureBitsPerPixel, screenWidth, screenHeight,
        settings.compressorQuality);
    std::printf(
        "area       end          grabs written distinct/s timeline/s  grab ms enc+wr ms  loop ms  "
        "wall s   cpu ms cpu ms/s  priv MB\n");
    bool ok = RunOne(640, 480, seconds);
    ok = RunOne(1280, 720, seconds) && ok;
    if (screenWidth >= 1920 && screenHeight >= 1080)
        ok = RunOne(1920, 1080, seconds) && ok;
    return ok ? 0 : 1;
}
