// Soak benchmark host: records a 640x480 area at the top left for SECONDS with audio on,
// while a window over that area shows a moving bar and a clock and turns white whenever
// the file FLAG exists (drive.py creates it when a click is heard, as for the A/V bench).
// Every minute it prints our handle tallies per kind, what Windows says of handles and
// GDI objects, private bytes, frames written and the sound written so far; at the end it
// merges the recording into OUTDIR\merged.avi.
//   soak_host SECONDS FLAG OUTDIR
// UI thread only, apart from the recording thread it starts. The window is painted on
// this thread, so the tallies are read between paints, never in the middle of one.
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "audio/audio_merge.h"
#include "app/recording_report.h"
#include "capture/recording_stats.h"
#include "handle_tally.h"
#include "recording_support.h"

#include <psapi.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int kWidth = 640, kHeight = 480, kTickerRows = 24;
bool white = false;
DWORD startTick = 0;

LRESULT CALLBACK SoakProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        const korvane::PaintDc dc(hwnd);
        RECT all = {0, 0, kWidth, kHeight};
        FillRect(dc.Get(), &all,
                 static_cast<HBRUSH>(GetStockObject(white ? WHITE_BRUSH : BLACK_BRUSH)));
        // The ticker: a bar crossing the bottom strip every 4 s and the elapsed time.
        const DWORD ms = GetTickCount() - startTick;
        RECT strip = {0, kHeight - kTickerRows, kWidth, kHeight};
        FillRect(dc.Get(), &strip, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        const int x = static_cast<int>(ms % 4000) * (kWidth - 40) / 4000;
        RECT bar = {x, kHeight - kTickerRows, x + 40, kHeight};
        FillRect(dc.Get(), &bar, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        char text[32];
        const int n = std::snprintf(text, sizeof text, "%02lu:%02lu.%lu", ms / 60000,
                                    ms / 1000 % 60, ms / 100 % 10);
        SetBkMode(dc.Get(), TRANSPARENT);
        TextOutA(dc.Get(), 8, kHeight - kTickerRows + 4, text, n);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

double PrivateMegabytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at zero; the committed page-file bytes are the same figure.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return bytes / (1024.0 * 1024.0);
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
                korvane::framesWrittenSoFar.load(), FileMegabytes(tempAviPath),
                FileMegabytes(tempWavPath));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: soak_host SECONDS FLAG OUTDIR\n");
        return 2;
    }
    const DWORD seconds = static_cast<DWORD>(std::atoi(argv[1]));
    const std::string flag = argv[2], outDir = argv[3];
    UseScreenSettings();
    settings.recordAudio = 1;
    captureRect = RECT{0, 0, kWidth - 1, kHeight - 1};
    SetCursorPos(screenWidth - 1, screenHeight - 1);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = SoakProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SoakContent";
    RegisterClassA(&wc);
    startTick = GetTickCount();
    HWND content = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "",
                                   WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    UpdateWindow(content);

    std::printf("Soak: %lu s at %d fps of %dx%d with audio, Video 1 quality %d\n", seconds,
                settings.framesPerSecond, kWidth, kHeight, settings.compressorQuality);
    std::printf(
        "Open handles by our tallies (dc gdi glob avi ic kern aud); Windows' own "
        "handle and GDI counts; private MB; frames written; scratch AVI and WAV MB\n");
    std::printf(
        "min   dc  gdi glob  avi   ic kern  aud sys-hnd gdi-ob  priv-MB   frames   avi-MB"
        "   wav-MB\n");
    MessageSink sink;
    isPaused = 0;
    const bool ended = sink.Record([&] {
        const DWORD start = GetTickCount();
        DWORD lastPaint = 0;
        int minute = 0;
        MessageSink::Pump();
        sink.PumpUntil([] { return korvane::framesWrittenSoFar.load() > 0; }, 10000);
        while (GetTickCount() - start < seconds * 1000) {
            const DWORD now = GetTickCount();
            const bool flashing = GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (flashing != white || now - lastPaint >= 40) {
                white = flashing;
                lastPaint = now;
                InvalidateRect(content, nullptr, FALSE);
                UpdateWindow(content);
                GdiFlush();
            }
            MessageSink::Pump();
            if (now - start >= static_cast<DWORD>(minute) * 60000)
                PrintFigures(minute++);
            Sleep(1);
        }
        PrintFigures(-1);
    });
    DestroyWindow(content);
    const int merged = MuxAudioIntoAvi(tempAviPath, tempWavPath, outDir + "\\merged.avi", 0,
                                       nullptr, 0, 1, 100, 0);
    std::printf("ended %d merge %d, frames written %u of %u grabs\n", ended ? 1 : 0, merged,
                recordingReport.stats.framesWritten, recordingReport.stats.grabs);
    DeleteFileA(tempWavPath.c_str());
    DeleteFileA(tempAviPath.c_str());
    return ended && merged == 0 ? 0 : 1;
}
