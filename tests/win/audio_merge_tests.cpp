// The audio and video merge on small files made here: an uncompressed AVI and a PCM
// WAV file. Results 0 to 5, the retry in PCM when the chosen compression has no
// encoder (Microsoft ADPCM on Wine), IMA ADPCM really written, the interleave step,
// the progress reports and caption that reach the main window, and the read-back that
// tells a whole merged file from one that lost sound.
#include "app/recording_settings.h"
#include "audio/acm_convert.h"
#include "audio/audio_merge.h"
#include "audio/merge_check.h"
#include "audio/merge_options.h"
#include "audio/progress_dialog.h"
#include "audio/sound_file.h"
#include "avifile_owners.h"
#include "app/recording_state.h"
#include "app/registered_messages.h"
#include "message_pump.h"
#include "ui/finish_plan.h"
#include "ui/korvane_dlg.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <cmath>
#include <string>
#include <vector>

using korvane::AviStream;

namespace {

TEST(MergeOptions, InterleaveStepIsAHundredMillisecondsOfFrames)
{
    EXPECT_EQ(korvane::InterleaveStep(25, 100, false), 2);
    EXPECT_EQ(korvane::InterleaveStep(5, 100, false), 1);
    EXPECT_EQ(korvane::InterleaveStep(10, 100, false), 1);
    EXPECT_EQ(korvane::InterleaveStep(19, 100, false), 1);
    EXPECT_EQ(korvane::InterleaveStep(30, 100, false), 3);
    EXPECT_EQ(korvane::InterleaveStep(0, 100, false), 1);
    EXPECT_EQ(korvane::InterleaveStep(25, 100, true), 100);
}

TEST(MergeOptions, RecordsForBothStreams)
{
    const AVICOMPRESSOPTIONS v = korvane::VideoSaveOptions(true, 2);
    EXPECT_EQ(v.fccType, streamtypeVIDEO);
    EXPECT_EQ(v.fccHandler, 0u);
    EXPECT_EQ(v.dwKeyFrameEvery, 0xFFFFFFFFu);
    EXPECT_EQ(v.dwQuality, 0xFFFFFFFFu);
    EXPECT_EQ(v.dwFlags, 0x0Fu);
    EXPECT_EQ(v.dwInterleaveEvery, 2u);
    EXPECT_EQ(korvane::VideoSaveOptions(false, 1).dwFlags, 0x0Eu);
    char format[20];
    const AVICOMPRESSOPTIONS a = korvane::AudioSaveOptions(false, 100, format, 20);
    EXPECT_EQ(a.fccType, streamtypeAUDIO);
    EXPECT_EQ(a.dwFlags, 0x08u);
    EXPECT_EQ(a.dwKeyFrameEvery, 0u);
    EXPECT_EQ(a.lpFormat, format);
    EXPECT_EQ(a.cbFormat, 20u);
    EXPECT_EQ(korvane::AudioSaveOptions(true, 2, nullptr, 0).dwFlags, 0x09u);
}

// Notes MergeProgress reports, as the main window would see them.
// When set, the reports move this bar as the main window moves its progress dialog's.
std::vector<int> progress;
HWND progressBar = nullptr;
LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == MergeProgress) {
        progress.push_back(static_cast<int>(wp));
        if (progressBar)
            SendMessageA(progressBar, PBM_SETPOS, wp, 0);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class Merge : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "korvane_merge_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        MakeVideo(folder + "\\video.avi");
        MakeAudio(folder + "\\audio.wav");
        MakeAudio(folder + "\\half.wav", 0.5);
        std::FILE* f = std::fopen((folder + "\\text.wav").c_str(), "wb");
        std::fputs("not a sound file at all", f);
        std::fclose(f);
    }
    void SetUp() override
    {
        settings = RecordingSettings();
        mainWindow = testpump::CreateHiddenWindow("MergeTestMain", "Korvane", MainProc);
        progress.clear();
        output = folder + "\\merged.avi";
        DeleteFileA(output.c_str());
    }
    void TearDown() override
    {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    // One second at 25 frames per second of a 64x48 picture that changes every frame,
    // with a key frame every 12.
    static void MakeVideo(const std::string& path)
    {
        korvane::AviFileLibrary library;
        korvane::AviFile file;
        ASSERT_EQ(AVIFileOpenA(file.Receive(), path.c_str(), OF_CREATE | OF_WRITE, nullptr), 0);
        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
        info.dwScale = 1;
        info.dwRate = 25;
        SetRect(&info.rcFrame, 0, 0, 64, 48);
        AviStream stream;
        ASSERT_EQ(AVIFileCreateStreamA(file.Get(), stream.Receive(), &info), 0);
        BITMAPINFOHEADER bih = {};
        bih.biSize = sizeof bih;
        bih.biWidth = 64;
        bih.biHeight = 48;
        bih.biPlanes = 1;
        bih.biBitCount = 24;
        bih.biSizeImage = 64 * 48 * 3;
        ASSERT_EQ(AVIStreamSetFormat(stream.Get(), 0, &bih, sizeof bih), 0);
        std::vector<unsigned char> pixels(bih.biSizeImage);
        for (int frame = 0; frame < 25; ++frame) {
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = static_cast<unsigned char>(i + frame * 10);
            ASSERT_EQ(AVIStreamWrite(stream.Get(), frame, 1, pixels.data(), bih.biSizeImage,
                                     frame % 12 == 0 ? AVIIF_KEYFRAME : 0, nullptr, nullptr),
                      0);
        }
    }
    // A 440 Hz tone (one second unless said), 22050 Hz stereo 16-bit, through our WAV writer.
    static void MakeAudio(const std::string& path, double seconds = 1.0)
    {
        WAVEFORMATEX f = {};
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 2;
        f.nSamplesPerSec = 22050;
        f.wBitsPerSample = 16;
        f.nBlockAlign = 4;
        f.nAvgBytesPerSec = 88200;
        CSoundFile file(path, &f);
        ASSERT_EQ(file.m_openMode, ForWriting);
        const int frames = static_cast<int>(22050 * seconds);
        std::vector<short> samples(2 * static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i)
            samples[2 * i] = samples[2 * i + 1] =
                static_cast<short>(8000 * std::sin(2 * 3.14159265 * 440 * i / 22050));
        mmioWrite(file.m_hmmio.Get(), reinterpret_cast<const char*>(samples.data()),
                  static_cast<LONG>(samples.size() * 2));
    }
    // A format the ACM proposes for converting our PCM to `tag`.
    static std::vector<char> Suggest(WORD tag)
    {
        WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
        DWORD maxSize = 0;
        acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
        std::vector<char> out(maxSize);
        auto* wf = reinterpret_cast<WAVEFORMATEX*>(out.data());
        wf->wFormatTag = tag;
        if (acmFormatSuggest(nullptr, &pcm, wf, maxSize, ACM_FORMATSUGGESTF_WFORMATTAG) != 0)
            return {};
        out.resize(sizeof(WAVEFORMATEX) + wf->cbSize);
        return out;
    }
    int MergeWith(const std::vector<char>& format, int useCompress = 1,
                  const std::string& sound = "audio.wav")
    {
        std::vector<char> copy = format;
        return MuxAudioIntoAvi(
            folder + "\\video.avi", folder + "\\" + sound, output, useCompress,
            copy.empty() ? nullptr : reinterpret_cast<WAVEFORMATEX*>(copy.data()),
            static_cast<int>(copy.size()), 1, 100, 0);
    }
    // The merged file's streams: types, lengths and the audio format tag.
    struct Probe {
        int streams = 0;
        DWORD types[2] = {};
        LONG videoFrames = 0;
        std::vector<LONG> keyFrames;
        WORD audioTag = 0;
    };
    Probe ProbeOutput()
    {
        Probe p;
        korvane::AviFileLibrary library;
        korvane::AviFile file;
        if (AVIFileOpenA(file.Receive(), output.c_str(), OF_READ, nullptr) != 0) {
            file.Discard();
            return p;
        }
        for (int i = 0; i < 2; ++i) {
            AviStream s;
            if (AVIFileGetStream(file.Get(), s.Receive(), 0, i) != 0) {
                s.Discard();
                break;
            }
            ++p.streams;
            AVISTREAMINFOA info = {};
            AVIStreamInfoA(s.Get(), &info, sizeof info);
            p.types[i] = info.fccType;
            if (info.fccType == streamtypeVIDEO) {
                p.videoFrames = AVIStreamLength(s.Get());
                for (LONG f = 0; f < p.videoFrames; ++f)
                    if (AVIStreamIsKeyFrame(s.Get(), f))
                        p.keyFrames.push_back(f);
            }
            if (info.fccType == streamtypeAUDIO) {
                WAVEFORMATEX wf = {};
                LONG size = sizeof wf;
                AVIStreamReadFormat(s.Get(), 0, &wf, &size);
                p.audioTag = wf.wFormatTag;
            }
        }
        AviStream third;
        if (AVIFileGetStream(file.Get(), third.Receive(), 0, 2) == 0)
            ++p.streams;
        else
            third.Discard();
        return p;
    }
    std::string Caption()
    {
        char text[128] = {};
        GetWindowTextA(mainWindow, text, sizeof text);
        return text;
    }

    static std::string folder;
    std::string output;
};
std::string Merge::folder;

TEST_F(Merge, RecordedPcmIsCopiedWithProgressAndTheCaption)
{
    ASSERT_EQ(MergeWith({}, 0), 0);
    const Probe p = ProbeOutput();
    EXPECT_EQ(p.streams, 2);
    EXPECT_EQ(p.types[0], streamtypeVIDEO);
    EXPECT_EQ(p.types[1], streamtypeAUDIO);
    EXPECT_EQ(p.videoFrames, 25);
    // A delta frame marked as a key frame would be shown black after a seek.
    EXPECT_EQ(p.keyFrames, (std::vector<LONG>{0, 12, 24}));
    EXPECT_EQ(p.audioTag, WAVE_FORMAT_PCM);
    // Reports were posted and handled by the save's own pumping or ours.
    testpump::PumpPending();
    ASSERT_FALSE(progress.empty());
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GE(progress[i], progress[i - 1]);
    EXPECT_LE(progress.back(), 100);
    EXPECT_EQ(Caption(), "Brisko Screen Video Capture");
}

TEST_F(Merge, WithoutAnEncoderTheRetryKeepsPcm)
{
    const std::vector<char> msAdpcm = Suggest(WAVE_FORMAT_ADPCM);
    ASSERT_FALSE(msAdpcm.empty());
    ASSERT_EQ(MergeWith(msAdpcm), 0);
    const Probe p = ProbeOutput();
    EXPECT_EQ(p.streams, 2);
    EXPECT_EQ(p.audioTag, WAVE_FORMAT_PCM);
    // The copy takes as long as a save: it moves the bar too (and so pumps).
    testpump::PumpPending();
    ASSERT_FALSE(progress.empty());
    EXPECT_GE(progress.back(), 90);
    EXPECT_EQ(Caption(), "Brisko Screen Video Capture");
}

// The merge converts with the ACM itself (Wine's AVISaveV never returns when it does
// this conversion in an interleaved save).
TEST_F(Merge, ImaAdpcmIsReallyWritten)
{
    const std::vector<char> ima = Suggest(WAVE_FORMAT_IMA_ADPCM);
    ASSERT_FALSE(ima.empty());
    ASSERT_EQ(MergeWith(ima), 0);
    const Probe p = ProbeOutput();
    EXPECT_EQ(p.streams, 2);
    EXPECT_EQ(p.audioTag, WAVE_FORMAT_IMA_ADPCM);
    EXPECT_EQ(p.videoFrames, 25);
    EXPECT_EQ(Caption(), "Brisko Screen Video Capture");
}

// The finish trusts a merged file only when it reads back as long as its sources: a
// compressed sound within a block or two, a sound cut short never. (The saved header
// counts chunks, not samples: the length must come from the data.)
TEST_F(Merge, ReadBackJudgesTheSoundsLength)
{
    const struct {
        const char* what;
        WORD tag;  // 0: the recorded PCM kept
        const char* mergedSound;
        bool whole;
    } cases[] = {
        {"PCM", 0, "audio.wav", true},
        {"IMA ADPCM", WAVE_FORMAT_IMA_ADPCM, "audio.wav", true},
        {"PCM, half the sound", 0, "half.wav", false},
        {"IMA ADPCM, half the sound", WAVE_FORMAT_IMA_ADPCM, "half.wav", false},
    };
    for (const auto& c : cases) {
        DeleteFileA(output.c_str());
        ASSERT_EQ(
            MergeWith(c.tag ? Suggest(c.tag) : std::vector<char>(), c.tag ? 1 : 0, c.mergedSound),
            0)
            << c.what;
        const korvane::MergeLengths l =
            korvane::MeasureMerge(folder + "\\video.avi", folder + "\\audio.wav", output);
        ASSERT_TRUE(l.opened) << c.what;
        EXPECT_NEAR(l.sourceSoundSeconds, 1.0, 0.001) << c.what;
        EXPECT_NEAR(l.mergedSoundSeconds, c.whole ? 1.0 : 0.5, 0.1) << c.what;
        EXPECT_EQ(korvane::MergedLengthsAgree(l.sourceFrames, l.mergedFrames, l.sourceSoundSeconds,
                                              l.mergedSoundSeconds, l.soundToleranceSeconds),
                  c.whole)
            << c.what << ": " << l.mergedSoundSeconds << " s against " << l.sourceSoundSeconds
            << " s, tolerance " << l.soundToleranceSeconds;
    }
}

std::vector<int> conversionReports;
BOOL CALLBACK NoteConversion(int percent)
{
    conversionReports.push_back(percent);
    return FALSE;
}

// The conversion alone: whole blocks holding every recorded sample plus less than one
// block of silence, its progress reported up to 100; a format without an encoder leaves
// no file behind.
TEST_F(Merge, ConversionKeepsEverySampleAndCleansUpOnFailure)
{
    korvane::AviFileLibrary library;
    AviStream pcm;
    ASSERT_EQ(AVIStreamOpenFromFileA(pcm.Receive(), (folder + "\\audio.wav").c_str(),
                                     streamtypeAUDIO, 0, OF_SHARE_DENY_NONE, nullptr),
              0);
    const std::string converted = folder + "\\converted.wav";
    std::vector<char> ima = Suggest(WAVE_FORMAT_IMA_ADPCM);
    const auto* wf = reinterpret_cast<const IMAADPCMWAVEFORMAT*>(ima.data());
    conversionReports.clear();
    ASSERT_TRUE(korvane::ConvertAudioToFile(pcm.Get(), reinterpret_cast<WAVEFORMATEX*>(ima.data()),
                                            static_cast<int>(ima.size()), converted,
                                            NoteConversion));
    ASSERT_FALSE(conversionReports.empty());
    EXPECT_EQ(conversionReports.back(), 100);
    std::FILE* f = std::fopen(converted.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    auto u32 = [&](size_t at) {
        return DWORD(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
    };
    // RIFF, fmt (20 bytes), fact, data.
    ASSERT_EQ(bytes.size(), 12u + 8 + 20 + 12 + 8 + u32(56));
    EXPECT_EQ(u32(4), bytes.size() - 8);
    const DWORD samples = u32(48), data = u32(56);
    const DWORD blocks = (22050 + wf->wSamplesPerBlock - 1) / wf->wSamplesPerBlock;
    EXPECT_EQ(data, blocks * wf->wfx.nBlockAlign);
    EXPECT_GE(samples, 22050u);
    EXPECT_LT(samples, 22050u + wf->wSamplesPerBlock);

    std::vector<char> msAdpcm = Suggest(WAVE_FORMAT_ADPCM);
    EXPECT_FALSE(korvane::ConvertAudioToFile(pcm.Get(),
                                             reinterpret_cast<WAVEFORMATEX*>(msAdpcm.data()),
                                             static_cast<int>(msAdpcm.size()), converted));
    EXPECT_EQ(GetFileAttributesA(converted.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Merge, ProgressDialogBarFollowsTheReports)
{
    CProgressDialog dialog(nullptr);
    ASSERT_NE(dialog.Hwnd(), nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog.Hwnd()));
    char text[64] = {};
    GetWindowTextA(dialog.Hwnd(), text, sizeof text);
    EXPECT_STREQ(text, "Convert Progress");
    ASSERT_NE(dialog.m_progress, nullptr);
    GetClassNameA(dialog.m_progress, text, sizeof text);
    EXPECT_STREQ(text, "msctls_progress32");
    EXPECT_EQ(GetDlgCtrlID(dialog.m_progress), 1025);

    SendMessageA(dialog.m_progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(dialog.m_progress, PBM_SETPOS, 0, 0);
    ShowWindow(dialog.Hwnd(), SW_SHOW);
    progressBar = dialog.m_progress;
    const int result = MergeWith({}, 0);
    testpump::PumpPending();
    progressBar = nullptr;
    ASSERT_EQ(result, 0);
    ASSERT_FALSE(progress.empty());
    EXPECT_GT(progress.back(), 0);
    EXPECT_EQ(SendMessageA(dialog.m_progress, PBM_GETPOS, 0, 0), progress.back());
}

TEST_F(Merge, ResultCodesForEachCause)
{
    const std::string video = folder + "\\video.avi", audio = folder + "\\audio.wav";
    EXPECT_EQ(MuxAudioIntoAvi(folder + "\\none.avi", audio, output, 0, nullptr, 0, 1, 100, 0), 1);
    EXPECT_EQ(MuxAudioIntoAvi(audio, audio, output, 0, nullptr, 0, 1, 100, 0), 1);
    EXPECT_EQ(MuxAudioIntoAvi(video, folder + "\\text.wav", output, 0, nullptr, 0, 1, 100, 0), 2);
    EXPECT_EQ(MuxAudioIntoAvi(video, folder + "\\none.wav", output, 0, nullptr, 0, 1, 100, 0), 2);
    EXPECT_EQ(GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string nowhere = folder + "\\no such folder\\merged.avi";
    EXPECT_EQ(MuxAudioIntoAvi(video, audio, nowhere, 0, nullptr, 0, 1, 100, 0), 5);
    std::vector<char> copy = Suggest(WAVE_FORMAT_ADPCM);
    EXPECT_EQ(
        MuxAudioIntoAvi(video, audio, nowhere, 1, reinterpret_cast<WAVEFORMATEX*>(copy.data()),
                        static_cast<int>(copy.size()), 1, 100, 0),
        5);
    EXPECT_NE(Caption(), "Brisko Screen Video Capture");

    // The type checks, on streams given in the wrong order.
    korvane::AviFileLibrary library;
    AviStream v, a;
    ASSERT_EQ(AVIStreamOpenFromFileA(v.Receive(), video.c_str(), streamtypeVIDEO, 0,
                                     OF_SHARE_DENY_NONE, nullptr),
              0);
    ASSERT_EQ(AVIStreamOpenFromFileA(a.Receive(), audio.c_str(), streamtypeAUDIO, 0,
                                     OF_SHARE_DENY_NONE, nullptr),
              0);
    EXPECT_EQ(
        korvane::SaveMergedStreams(a.Get(), v.Get(), output, false, nullptr, 0, true, 100, false),
        3);
    EXPECT_EQ(
        korvane::SaveMergedStreams(v.Get(), v.Get(), output, false, nullptr, 0, true, 100, false),
        4);
    EXPECT_EQ(GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Merge, CompressionOnWithNoFormatChosenYet)
{
    // Before the options dialog was ever confirmed there is no format (size 0). Saved
    // as it stands, Wine writes an audio stream that ffprobe cannot read; the recorded
    // format is kept instead (audio_e2e.sh reads such a file with ffprobe).
    const int result = MergeWith({}, 1);
    EXPECT_EQ(result, 0);
    const Probe p = ProbeOutput();
    EXPECT_EQ(p.streams, 2);
    EXPECT_EQ(p.audioTag, WAVE_FORMAT_PCM);
}

}  // namespace
