// The audio group of the options dialog, hosted in a window of the test's own with the
// dialog's control ids. Wave-in devices are faked; the ACM, its format chooser and the
// merge are the real ones (Wine's ACM has no MPEG Layer-3 encoder, so ADPCM is proposed).
#include "app/recording_settings.h"
#include "audio/audio_controls.h"
#include "audio/audio_merge.h"
#include "audio/audio_state.h"
#include "audio/sound_file.h"
#include "audio_stand_in.h"
#include "avifile_owners.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <atomic>
#include <functional>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kGroup[] = {IDC_AUDIO_FORMAT, IDC_VOLUME, IDC_COMPRESSED_FORMAT, IDC_COMPRESSION_FORMAT};

class AudioControls : public testing::Test {
protected:
    void SetUp() override
    {
        settings = RecordingSettings();
        compressFormat = nullptr;  // its block is freed when the next one is made
        compressFormatSize = 0;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        host = CreateWindowExA(0, "STATIC", "Recording Options", WS_POPUP, 0, 0, 400, 300, nullptr,
                               nullptr, instance, nullptr);
        const struct {
            const char* cls;
            DWORD style;
            int id;
        } controls[] = {{"BUTTON", BS_AUTOCHECKBOX, IDC_RECORD_AUDIO},
                        {"COMBOBOX", CBS_DROPDOWNLIST, IDC_AUDIO_FORMAT},
                        {"BUTTON", 0, IDC_VOLUME},
                        {"EDIT", ES_READONLY, IDC_COMPRESSED_FORMAT},
                        {"BUTTON", 0, IDC_COMPRESSION_FORMAT}};
        for (const auto& c : controls)
            CreateWindowExA(0, c.cls, "", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 200, 200, host,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        devices.owner = host;
    }
    void TearDown() override
    {
        dlgFormatCount = 0;  // frees the dialog's block without storing anything
        StoreAudioControls(host);
        DestroyWindow(host);
    }

    // `count` devices (and the mapper when there is one) reporting `formats`; `silent`
    // does not answer. Notes the device asked last.
    void FakeDevices(UINT count, DWORD formats, UINT silent = 0xFFFF)
    {
        devices.count = [count] { return count; };
        devices.caps = [=](UINT id, WAVEINCAPSA* caps) -> MMRESULT {
            askedDevice = id;
            if (id == silent || (id == WAVE_MAPPER ? count == 0 : id >= count))
                return MMSYSERR_BADDEVICEID;
            caps->dwFormats = formats;
            return MMSYSERR_NOERROR;
        };
    }
    std::string Text(int id)
    {
        char text[128] = {};
        GetDlgItemTextA(host, id, text, sizeof text);
        return text;
    }
    std::vector<std::string> FormatList()
    {
        std::vector<std::string> items;
        for (LRESULT i = 0; i < SendDlgItemMessageA(host, IDC_AUDIO_FORMAT, CB_GETCOUNT, 0, 0);
             ++i) {
            char text[128] = {};
            SendDlgItemMessageA(host, IDC_AUDIO_FORMAT, CB_GETLBTEXT, i,
                                reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    int Selected()
    {
        return static_cast<int>(SendDlgItemMessageA(host, IDC_AUDIO_FORMAT, CB_GETCURSEL, 0, 0));
    }
    static std::string TagName(WORD tag)
    {
        ACMFORMATTAGDETAILSA details = {};
        details.cbStruct = sizeof details;
        details.dwFormatTag = tag;
        acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG);
        return details.szFormatTag;
    }

    // Presses "Compression &Format" while a watcher thread works the real chooser: picks
    // the format tag `tagName` and the attributes beginning with `attributes` (when
    // given) and presses `button`. False when no chooser came up.
    bool UseChooser(const char* tagName, const char* attributes, int button)
    {
        const DWORD thread = GetCurrentThreadId();
        std::atomic<bool> found{false};
        std::thread watcher([&] {
            for (int i = 0; i < 100 && !found; ++i) {
                Sleep(100);
                HWND chooser = host;
                EnumThreadWindows(thread, FindChooser, reinterpret_cast<LPARAM>(&chooser));
                if (chooser == host)
                    continue;
                found = true;
                // Wine's chooser lists the format tags in 101 and their formats in 102.
                if (tagName)
                    ChooseItem(chooser, 101, tagName);
                if (attributes)
                    ChooseItem(chooser, 102, attributes);
                PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(chooser, button)));
            }
        });
        OnCompressionFormat(host);
        watcher.join();
        return found;
    }
    // The visible dialog the host owns (Wine gives the chooser a title of its own).
    static BOOL CALLBACK FindChooser(HWND hwnd, LPARAM owner)
    {
        char cls[16] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd) ||
            GetWindow(hwnd, GW_OWNER) != *reinterpret_cast<HWND*>(owner))
            return TRUE;
        *reinterpret_cast<HWND*>(owner) = hwnd;
        return FALSE;
    }
    static void ChooseItem(HWND chooser, int id, const char* prefix)
    {
        HWND combo = GetDlgItem(chooser, id);
        const LRESULT item =
            SendMessageA(combo, CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(prefix));
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }

    // The machine's devices unless faked; the group's warnings collected.
    struct Devices : AudioStandIn {
        HWND owner = nullptr;
        std::function<UINT()> count;
        std::function<MMRESULT(UINT, WAVEINCAPSA*)> caps;
        UINT WaveInDeviceCount() override
        {
            return count ? count() : AudioSystem::WaveInDeviceCount();
        }
        MMRESULT WaveInDeviceCaps(UINT id, WAVEINCAPSA* into) override
        {
            return caps ? caps(id, into) : AudioSystem::WaveInDeviceCaps(id, into);
        }
        // Every box of the group is a warning captioned so, unless a test says otherwise.
        bool warningsOnly = true;
        std::string lastCaption;
        int ShowMessage(HWND from, const char* text, const char* caption, UINT flags) override
        {
            lastCaption = caption;
            if (warningsOnly) {
                EXPECT_EQ(from, owner);
                EXPECT_STREQ(caption, "Warning");
                EXPECT_EQ(flags & MB_ICONMASK, UINT(MB_ICONWARNING));
            }
            return AudioStandIn::ShowMessage(from, text, caption, flags);
        }
    };

    HWND host = nullptr;
    Devices devices;
    std::vector<std::string>& shown = devices.shown;
    static inline UINT askedDevice = 0;
};

TEST_F(AudioControls, EveryFormatIsListedInTheTableOrderAndTheDefaultProposed)
{
    FakeDevices(2, 0x0FFF);
    InitAudioControls(host);
    const std::vector<std::string> expected = {
        "11.025 kHz, mono, 8-bit",    "11.025 kHz, mono, 16-bit",  "11.025 kHz, stereo, 8-bit",
        "11.025 kHz, stereo, 16-bit", "22.05 kHz, mono, 8-bit",    "22.05 kHz, mono, 16-bit",
        "22.05 kHz, stereo, 8-bit",   "22.05 kHz, stereo, 16-bit", "44.1 kHz, mono, 8-bit",
        "44.1 kHz, mono, 16-bit",     "44.1 kHz, stereo, 8-bit",   "44.1 kHz, stereo, 16-bit"};
    EXPECT_EQ(FormatList(), expected);
    const DWORD bits[] = {0x001, 0x004, 0x002, 0x008, 0x010, 0x040,
                          0x020, 0x080, 0x100, 0x400, 0x200, 0x800};
    ASSERT_EQ(dlgFormatCount, 12);
    EXPECT_EQ(std::memcmp(dlgFormatFlags, bits, sizeof bits), 0);
    EXPECT_EQ(Selected(), 7);
    ASSERT_EQ(dlgDeviceCount, 3);
    EXPECT_EQ(dlgDeviceIds[0], WAVE_MAPPER);
    EXPECT_EQ(askedDevice, WAVE_MAPPER);
    ASSERT_NE(dlgCompressFormat, nullptr);
    EXPECT_EQ(dlgCompressFormat->wFormatTag, WAVE_FORMAT_ADPCM);
    EXPECT_EQ(dlgCompressFormat->nSamplesPerSec, 22050u);
    EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), TagName(WAVE_FORMAT_ADPCM));
    for (int id : kGroup)
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(host, id))) << id;
    CheckDlgButton(host, IDC_RECORD_AUDIO, BST_UNCHECKED);
    OnRecordAudio(host);
    for (int id : kGroup)
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(host, id))) << id;
}

TEST_F(AudioControls, A44kHzOnlyDeviceSelectsTheFirstEntryAndTakesItsParameters)
{
    FakeDevices(1, 0x0F00);
    InitAudioControls(host);
    ASSERT_EQ(FormatList().size(), 4u);
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(dlgAudioSamplesPerSec, 44100);
    EXPECT_EQ(dlgAudioChannels, 1);
    EXPECT_EQ(dlgAudioBitsPerSample, 8);
    EXPECT_EQ(suggestSource.nBlockAlign, 1);
    ASSERT_NE(dlgCompressFormat, nullptr);
    EXPECT_EQ(dlgCompressFormat->wFormatTag, WAVE_FORMAT_ADPCM);
    EXPECT_EQ(dlgCompressFormat->nSamplesPerSec, 44100u);
    EXPECT_EQ(dlgCompressFormat->nChannels, 1);
}

TEST_F(AudioControls, ChangingTheFormatDiscardsThePick)
{
    FakeDevices(1, 0x0FFF);
    InitAudioControls(host);
    ASSERT_TRUE(UseChooser("IMA ADPCM", "22050 Hz; 4 bits; Stereo", IDOK));
    EXPECT_EQ(dlgCompressFormat->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), TagName(WAVE_FORMAT_IMA_ADPCM));
    SendDlgItemMessageA(host, IDC_AUDIO_FORMAT, CB_SETCURSEL, 5, 0);  // 22.05 kHz, mono, 16-bit
    OnAudioFormatSelChange(host);
    EXPECT_EQ(dlgAudioChannels, 1);
    EXPECT_EQ(dlgCompressFormat->wFormatTag, WAVE_FORMAT_ADPCM);
    EXPECT_EQ(dlgCompressFormat->nChannels, 1);
    EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), TagName(WAVE_FORMAT_ADPCM));
}

// The chooser opens on the current format: OK keeps it, Cancel changes nothing.
TEST_F(AudioControls, TheChooserOpensOnTheCurrentFormat)
{
    FakeDevices(1, 0x0FFF);
    InitAudioControls(host);
    const WORD tag = dlgCompressFormat->wFormatTag;
    const char* bytes = reinterpret_cast<const char*>(dlgCompressFormat);
    const std::vector<char> before(bytes, bytes + sizeof(WAVEFORMATEX) + dlgCompressFormat->cbSize);
    for (int button : {IDOK, IDCANCEL}) {
        SetDlgItemTextA(host, IDC_COMPRESSED_FORMAT, "");
        ASSERT_TRUE(UseChooser(nullptr, nullptr, button));
        EXPECT_EQ(std::memcmp(dlgCompressFormat, before.data(), before.size()), 0) << button;
        EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), button == IDOK ? TagName(tag) : "");
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(AudioControls, NoDeviceOffersNothingAndVolumeOnlyWarns)
{
    FakeDevices(0, 0);
    InitAudioControls(host);
    EXPECT_EQ(FormatList(), std::vector<std::string>{"None Available"});
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), "None Available");
    OnVolume(host);
    EXPECT_EQ(
        shown,
        std::vector<std::string>{
            "Unable to detect audio input device. You need a sound card with microphone input."});
    // OK stores the check box and nothing of the format.
    CheckDlgButton(host, IDC_RECORD_AUDIO, BST_UNCHECKED);
    settings.audioDeviceId = 0;
    StoreAudioControls(host);
    EXPECT_EQ(settings.recordAudio, 0);
    EXPECT_EQ(settings.audioDeviceId, 0u);
    EXPECT_EQ(compressFormat, nullptr);
}

// Volume opens the Sound control panel's Recording page, else the next program that
// exists; the user hears when none would start. Programs are named by full path only.
TEST_F(AudioControls, VolumeOpensTheRecordingLevelOrSaysWhyNot)
{
    FakeDevices(2, WAVE_FORMAT_1M08);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    devices.warningsOnly = false;
    const std::string& caption = devices.lastCaption;
    const struct {
        int startsAt;  // the attempt that starts; -1: none
        size_t tried;
    } cases[] = {{0, 1}, {1, 2}, {3, 4}, {-1, 4}};
    for (const auto& c : cases) {
        shown.clear();
        std::vector<korvane::LevelProgram> tried;
        OnVolume(host, [&](const korvane::LevelProgram& program) {
            EXPECT_EQ(program.command.compare(0, program.program.size() + 2,
                                              "\"" + program.program + "\""),
                      0)
                << program.command;
            tried.push_back(program);
            return static_cast<int>(tried.size()) - 1 == c.startsAt;
        });
        ASSERT_EQ(tried.size(), c.tried) << c.startsAt;
        EXPECT_EQ(tried[0].command, "\"" + std::string(system) + "\\control.exe\" mmsys.cpl,,1");
        EXPECT_EQ(tried[0].needs, std::string(system) + "\\mmsys.cpl");
        EXPECT_EQ(shown.size(), c.startsAt < 0 ? 1u : 0u) << c.startsAt;
    }
    EXPECT_EQ(caption, "Note");
    EXPECT_NE(shown.at(0).find("the Sound control panel"), std::string::npos);
    // A program that is not there, or one without the file it needs, does not count as
    // started.
    const std::string absent = std::string(system) + "\\no-such-program.exe";
    EXPECT_FALSE(korvane::StartProgram({absent, "\"" + absent + "\"", ""}));
    const std::string control = std::string(system) + "\\control.exe";
    EXPECT_FALSE(korvane::StartProgram(
        {control, "\"" + control + "\" none.cpl", std::string(system) + "\\none.cpl"}));
}

TEST_F(AudioControls, MoreThanFourteenDevicesFillTheTableAndNoMore)
{
    FakeDevices(20, 0x0FFF, 6);   // the seventh device is silent
    settings.audioDeviceId = 17;  // beyond the table: the mapper is described
    InitAudioControls(host);
    ASSERT_EQ(dlgDeviceCount, 15);
    EXPECT_EQ(dlgDeviceIds[6], 5u);
    EXPECT_EQ(dlgDeviceIds[7], 7u);
    EXPECT_EQ(dlgDeviceIds[14], 14u);
    EXPECT_EQ(askedDevice, WAVE_MAPPER);
}

// One second of a 16x16 movie at 10 fps and of a square wave, 22.05 kHz stereo 16-bit.
void MakeMovie(const std::string& video, const std::string& audio)
{
    korvane::AviFileLibrary library;
    {
        korvane::AviFile file;
        ASSERT_EQ(AVIFileOpenA(file.Receive(), video.c_str(), OF_CREATE | OF_WRITE, nullptr), 0);
        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
        info.dwScale = 1;
        info.dwRate = 10;
        SetRect(&info.rcFrame, 0, 0, 16, 16);
        korvane::AviStream stream;
        ASSERT_EQ(AVIFileCreateStreamA(file.Get(), stream.Receive(), &info), 0);
        BITMAPINFOHEADER bih = {sizeof bih, 16, 16, 1, 24, BI_RGB, 16 * 16 * 3, 0, 0, 0, 0};
        ASSERT_EQ(AVIStreamSetFormat(stream.Get(), 0, &bih, sizeof bih), 0);
        std::vector<unsigned char> pixels(bih.biSizeImage, 0x80);
        for (int frame = 0; frame < 10; ++frame)
            ASSERT_EQ(AVIStreamWrite(stream.Get(), frame, 1, pixels.data(), bih.biSizeImage,
                                     AVIIF_KEYFRAME, nullptr, nullptr),
                      0);
    }
    WAVEFORMATEX f = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    CSoundFile file(audio, &f);
    std::vector<short> samples(2 * 22050);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>((i / 50) % 2 ? 6000 : -6000);
    ASSERT_EQ(mmioWrite(file.m_hmmio.Get(), reinterpret_cast<const char*>(samples.data()),
                        LONG(samples.size() * 2)),
              LONG(samples.size() * 2));
}

WORD AudioTagOf(const std::string& path)
{
    korvane::AviFileLibrary library;
    korvane::AviStream stream;
    WAVEFORMATEX wf = {};
    LONG size = sizeof wf;
    if (AVIStreamOpenFromFileA(stream.Receive(), path.c_str(), streamtypeAUDIO, 0,
                               OF_SHARE_DENY_NONE, nullptr) == 0)
        AVIStreamReadFormat(stream.Get(), 0, &wf, &size);
    else
        stream.Discard();
    return wf.wFormatTag;
}

TEST_F(AudioControls, APickSurvivesOkIsShownAgainAndReachesTheMerge)
{
    FakeDevices(2, 0x0FFF);
    settings.audioDeviceId = 1;
    InitAudioControls(host);
    ASSERT_TRUE(UseChooser("IMA ADPCM", "22050 Hz; 4 bits; Stereo", IDOK));
    StoreAudioControls(host);
    EXPECT_EQ(dlgCompressFormat, nullptr);
    ASSERT_NE(compressFormat, nullptr);
    EXPECT_EQ(compressFormat->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    DWORD maxSize = 0;
    acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
    EXPECT_EQ(compressFormatSize, maxSize);
    EXPECT_EQ(settings.compressAudio, 1);
    EXPECT_EQ(settings.audioDeviceId, WAVE_MAPPER);
    EXPECT_EQ(settings.audioFormatFlag, DWORD(WAVE_FORMAT_2S16));
    EXPECT_EQ(captureFormat.nBlockAlign, 4);

    // Opening again on the same format shows the stored pick, not a new proposal.
    InitAudioControls(host);
    EXPECT_EQ(dlgCompressFormat->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    EXPECT_EQ(Text(IDC_COMPRESSED_FORMAT), TagName(WAVE_FORMAT_IMA_ADPCM));

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = temp + ("korvane_formats_" + std::to_string(GetCurrentProcessId()));
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string video = folder + "\\video.avi", audio = folder + "\\audio.wav",
                      merged = folder + "\\merged.avi";
    MakeMovie(video, audio);
    EXPECT_EQ(MuxAudioIntoAvi(video, audio, merged, settings.compressAudio, compressFormat,
                              static_cast<int>(compressFormatSize), 1, 100, 0),
              0);
    EXPECT_EQ(AudioTagOf(merged), WAVE_FORMAT_IMA_ADPCM);
    for (const std::string& path : {video, audio, merged})
        DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
