// Test host for recordings with audio, checked by audio_e2e.sh with sox and ffprobe.
// It runs the recording thread on a small area against a hidden stand-in main window
// that hands the microphone's buffers to the capture, and leaves in OUTDIR the movie
// (recording.avi), the WAV file (recording.wav), the posted messages (messages.txt) and
// the audio messages it would have shown (shown.txt).
//   audio_host record OUTDIR    about 4 s with audio on
//   audio_host pause OUTDIR     1.5 s, paused 2.5 s, 1.5 s (the pause in pause.txt)
//   audio_host badpath OUTDIR   the WAV file cannot be created
//   audio_host merge OUTDIR     as record, then merged into merged.avi with the format
//                               proposed for Microsoft ADPCM and into merged_none.avi
//                               with no format chosen and into merged_ima.avi with IMA
//                               ADPCM (results in merge.txt)
#include "audio/audio_merge.h"
#include "audio/audio_state.h"
#include "audio_stand_in.h"
#include "host_main.h"

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <string>

namespace {

int Run(const std::string& mode, const std::string& outDir)
{
    UseScreenSettings();
    captureRect = RECT{0, 0, 159, 119};

    // What the user would have been shown and the main window told, in order, by name.
    struct Shown : AudioStandIn {
        std::string text;
        int ShowMessage(HWND, const char* message, const char*, UINT) override
        {
            text += std::string(message) + "\n";
            return IDOK;
        }
        void NoteTrouble(korvane::AudioTrouble trouble) override
        {
            static const char* const names[] = {"none", "sound file not created",
                                                "sound device not opened", "sound file not written",
                                                "sound device lost"};
            text += std::string(names[static_cast<int>(trouble)]) + "\n";
        }
    } shown;
    if (mode == "badpath")
        shown.choosePath = [] {
            tempWavPath = "C:\\no such folder\\korvane\\audio.wav";
            return true;
        };

    MessageSink sink;
    isPaused = 0;
    const bool ended = sink.Record([&] {
        if (mode == "pause") {
            sink.PumpFor(1500);
            isPaused = 1;
            sink.PumpFor(2500);
            isPaused = 0;
            sink.PumpFor(1500);
        } else {
            sink.PumpFor(4000);
        }
    });
    WriteReceivedMessages(sink, outDir);
    WriteTextFile(outDir + "\\shown.txt", shown.text);
    if (mode == "merge") {
        WAVEFORMATEX pcm = captureFormat;
        DWORD maxSize = 0;
        acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
        std::string proposed(maxSize, '\0');
        auto* adpcm = reinterpret_cast<WAVEFORMATEX*>(&proposed[0]);
        adpcm->wFormatTag = WAVE_FORMAT_ADPCM;
        acmFormatSuggest(nullptr, &pcm, adpcm, maxSize, ACM_FORMATSUGGESTF_WFORMATTAG);
        const int withAdpcm =
            MuxAudioIntoAvi(tempAviPath, tempWavPath, outDir + "\\merged.avi", 1, adpcm,
                            sizeof(WAVEFORMATEX) + adpcm->cbSize, 1, 100, 0);
        const int withNone = MuxAudioIntoAvi(tempAviPath, tempWavPath, outDir + "\\merged_none.avi",
                                             1, nullptr, 0, 1, 100, 0);
        std::string imaBlock(maxSize, '\0');
        auto* ima = reinterpret_cast<WAVEFORMATEX*>(&imaBlock[0]);
        ima->wFormatTag = WAVE_FORMAT_IMA_ADPCM;
        acmFormatSuggest(nullptr, &pcm, ima, maxSize, ACM_FORMATSUGGESTF_WFORMATTAG);
        const int withIma = MuxAudioIntoAvi(tempAviPath, tempWavPath, outDir + "\\merged_ima.avi",
                                            1, ima, sizeof(WAVEFORMATEX) + ima->cbSize, 1, 100, 0);
        WriteTextFile(outDir + "\\merge.txt", std::to_string(withAdpcm) + " " +
                                                  std::to_string(withNone) + " " +
                                                  std::to_string(withIma) + "\n");
    }
    int rc = ended ? 0 : 1;
    if (!KeepScratchFile(tempAviPath, outDir + "\\recording.avi"))
        rc = 1;
    if (mode != "badpath" && !KeepScratchFile(tempWavPath, outDir + "\\recording.wav"))
        rc = 1;
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    return RunHostMode(argc, argv, "audio_host", {"record", "pause", "badpath", "merge"}, Run);
}
