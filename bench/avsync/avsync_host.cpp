// A/V sync bench host: records a 160x120 area at the top left for SECONDS with audio on,
// while a topmost window over that area turns white whenever the file FLAG exists
// (the driving script creates it at the moment it plays a click into the null sink),
// then merges the recording into OUTDIR\merged.avi with the recorded PCM audio.
//   avsync_host SECONDS FLAG OUTDIR    (KORVANE_AVSYNC_FPS=N records at N fps, default 25)
// UI thread only, apart from the recording thread it starts.
#include "flag_window.h"
#include "host_main.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    FlagRun run;
    if (!ReadFlagRun(argc, argv, "avsync_host", run))
        return 2;
    AimAtTopLeft(160, 120);
    if (const char* fps = std::getenv("KORVANE_AVSYNC_FPS")) {
        settings.framesPerSecond = std::atoi(fps) > 0 ? std::atoi(fps) : 25;
        settings.frameIntervalMs = 1000 / settings.framesPerSecond;
        settings.keyFrameEvery = settings.framesPerSecond;
    }
    MessageSink sink;
    isPaused = 0;
    bool ended = false;
    {
        FlagWindow flash("AvSyncFlash", 160, 120, run.flag);
        ended = sink.Record([&] { flash.RunFor(run.seconds * 1000, 0); });
    }
    const int merged = MergeAsRecorded(run.outDir + "\\merged.avi");
    std::printf("ended %d merge %d\n", ended ? 1 : 0, merged);
    KeepScratchFile(tempWavPath, run.outDir + "\\recording.wav");
    KeepScratchFile(tempAviPath, run.outDir + "\\recording.avi");
    return ended && merged == 0 ? 0 : 1;
}
