// Soak benchmark host: records a 640x480 area (KORVANE_SOAK_AREA=WxH for another) at the
// top left for SECONDS at 25 fps (KORVANE_SOAK_FPS) with audio on,
// while a window over that area shows a moving bar and a clock and turns white whenever
// the file FLAG exists (drive.py creates it when a click is heard, as for the A/V bench).
// Every minute it prints our handle tallies per kind, what Windows says of handles and
// GDI objects, private bytes, frames written and the sound written so far; at the end it
// merges the recording into OUTDIR\merged.avi.
//   soak_host SECONDS FLAG OUTDIR
// UI thread only, apart from the recording thread it starts. The window is painted on
// this thread, so the tallies are read between paints, never in the middle of one.
#include "app/recording_report.h"
#include "capture/recording_stats.h"
#include "flag_window.h"
#include "handle_tally.h"
#include "host_main.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kTickerRows = 24;
int areaWidth = 640, areaHeight = 480;  // set once from the environment, before any painting

// The frames the recording has written so far, counted as the writer writes them.
struct FrameCount : korvane::FrameWatch {
    std::atomic<unsigned> written{0};
    void FrameWritten() override { ++written; }
} frameCount;
korvane::FrameWatchInUse::Replacement counting{frameCount};
DWORD startTick = 0;

// The ticker: a bar crossing the bottom strip every 4 s and the elapsed time.
void PaintTicker(HDC hdc)
{
    const DWORD ms = GetTickCount() - startTick;
    RECT strip = {0, areaHeight - kTickerRows, areaWidth, areaHeight};
    FillRect(hdc, &strip, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    const int x = static_cast<int>(ms % 4000) * (areaWidth - 40) / 4000;
    RECT bar = {x, areaHeight - kTickerRows, x + 40, areaHeight};
    FillRect(hdc, &bar, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%02lu:%02lu.%lu", ms / 60000, ms / 1000 % 60,
                                ms / 100 % 10);
    SetBkMode(hdc, TRANSPARENT);
    TextOutA(hdc, 8, areaHeight - kTickerRows + 4, text, n);
}

double FileMegabytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) /
           (1024.0 * 1024.0);
}

// `minute` < 0: the row at the end of the recording.
void PrintFigures(int minute)
{
    using korvane::HandleKind;
    using korvane::Tally;
    DWORD systemHandles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &systemHandles);
    std::printf("%3s %4ld %4ld %4ld %4ld %4ld %4ld %4ld %7lu %6lu %8.2f %8u %8.1f %8.1f\n",
                minute < 0 ? "end" : std::to_string(minute).c_str(), Tally(HandleKind::Dc).Open(),
                Tally(HandleKind::GdiObject).Open(), Tally(HandleKind::GlobalMemory).Open(),
                Tally(HandleKind::AviObject).Open(), Tally(HandleKind::Compressor).Open(),
                Tally(HandleKind::Kernel).Open(), Tally(HandleKind::Audio).Open(), systemHandles,
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), PrivateMegabytes(),
                frameCount.written.load(), FileMegabytes(tempAviPath), FileMegabytes(tempWavPath));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    FlagRun run;
    if (!ReadFlagRun(argc, argv, "soak_host", run))
        return 2;
    if (const char* area = std::getenv("KORVANE_SOAK_AREA"))
        std::sscanf(area, "%dx%d", &areaWidth, &areaHeight);
    AimAtTopLeft(areaWidth, areaHeight);
    settings.recordAudio = 1;
    if (const char* fps = std::getenv("KORVANE_SOAK_FPS")) {
        settings.framesPerSecond = std::atoi(fps) > 0 ? std::atoi(fps) : 25;
        settings.frameIntervalMs = 1000 / settings.framesPerSecond;
        settings.keyFrameEvery = settings.framesPerSecond;
    }

    std::printf("Soak: %lu s at %d fps of %dx%d with audio, Video 1 quality %d\n", run.seconds,
                settings.framesPerSecond, areaWidth, areaHeight, settings.compressorQuality);
    std::printf(
        "Open handles by our tallies (dc gdi glob avi ic kern aud); Windows' own "
        "handle and GDI counts; private MB; frames written; scratch AVI and WAV MB\n");
    std::printf(
        "min   dc  gdi glob  avi   ic kern  aud sys-hnd gdi-ob  priv-MB   frames   avi-MB"
        "   wav-MB\n");
    MessageSink sink;
    isPaused = 0;
    bool ended = false;
    {
        startTick = GetTickCount();
        FlagWindow content("SoakContent", areaWidth, areaHeight, run.flag, PaintTicker);
        ended = sink.Record([&] {
            const DWORD start = GetTickCount();
            MessageSink::Pump();
            sink.PumpUntil([] { return frameCount.written.load() > 0; }, 10000);
            const DWORD waited = GetTickCount() - start;
            if (frameCount.written.load() == 0) {
                std::printf("no frame written in %lu ms: the recording did not start\n", waited);
                return;
            }
            int minute = 0;
            content.RunFor(run.seconds * 1000 > waited ? run.seconds * 1000 - waited : 0, 40,
                           [&](DWORD elapsed) {
                               if (elapsed + waited >= static_cast<DWORD>(minute) * 60000)
                                   PrintFigures(minute++);
                           });
            PrintFigures(-1);
        });
    }
    const int merged = MergeAsRecorded(run.outDir + "\\merged.avi");
    std::printf("ended %d merge %d, frames written %u of %u grabs\n", ended ? 1 : 0, merged,
                recordingReport.stats.framesWritten, recordingReport.stats.grabs);
    DeleteFileA(tempWavPath.c_str());
    DeleteFileA(tempAviPath.c_str());
    return ended && merged == 0 ? 0 : 1;
}
