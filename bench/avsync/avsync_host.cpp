// A/V sync bench host: records a 160x120 area at the top left for SECONDS with audio on,
// while a topmost window over that area turns white whenever the file FLAG exists
// (the driving script creates it at the moment it plays a click into the null sink),
// then merges the recording into OUTDIR\merged.avi with the recorded PCM audio.
//   avsync_host SECONDS FLAG OUTDIR
// UI thread only, apart from the recording thread it starts.
#include "app/recording_settings.h"
#include "audio/audio_merge.h"
#include "app/recording_state.h"
#include "capture/recording_thread.h"
#include "recording_support.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

bool white = false;

LRESULT CALLBACK FlashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        const korvane::PaintDc dc(hwnd);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc.Get(), &r,
                 static_cast<HBRUSH>(GetStockObject(white ? WHITE_BRUSH : BLACK_BRUSH)));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: avsync_host SECONDS FLAG OUTDIR\n");
        return 2;
    }
    const DWORD seconds = static_cast<DWORD>(std::atoi(argv[1]));
    const std::string flag = argv[2], outDir = argv[3];
    UseScreenSettings();
    captureRect = RECT{0, 0, 159, 119};
    SetCursorPos(screenWidth - 1, screenHeight - 1);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FlashProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AvSyncFlash";
    RegisterClassA(&wc);
    HWND flash = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "",
                                 WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    UpdateWindow(flash);

    MessageSink sink;
    isPaused = 0;
    const bool ended = sink.Record([&] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < seconds * 1000) {
            const bool now = GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (now != white) {
                white = now;
                InvalidateRect(flash, nullptr, FALSE);
                UpdateWindow(flash);
                GdiFlush();
            }
            MessageSink::Pump();
            Sleep(1);
        }
    });
    DestroyWindow(flash);
    const int merged = MuxAudioIntoAvi(tempAviPath, tempWavPath, outDir + "\\merged.avi", 0,
                                       nullptr, 0, 1, 100, 0);
    std::printf("ended %d merge %d\n", ended ? 1 : 0, merged);
    KeepScratchFile(tempWavPath, outDir + "\\recording.wav");
    KeepScratchFile(tempAviPath, outDir + "\\recording.avi");
    return ended && merged == 0 ? 0 : 1;
}
