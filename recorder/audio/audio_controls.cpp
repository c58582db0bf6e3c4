// The options dialog's audio group: format list, compressed format and volume control.
// UI thread only.
#include "audio_controls.h"

#include "app/recording_settings.h"
#include "audio_state.h"
#include "audio_system.h"
#include "global_mem.h"
#include "pcm_format.h"
#include "recording_formats.h"
#include "res/resource.h"

#include <mmreg.h>
#include <msacm.h>

#include <cstdio>
#include <cstring>

int dlgAudioSamplesPerSec = 0;
int dlgAudioChannels = 0;
int dlgAudioBitsPerSample = 0;
int dlgCompressAudio = 0;
WAVEFORMATEX* dlgCompressFormat = nullptr;
DWORD dlgCompressFormatSize = 0;
DWORD dlgFormatFlags[15] = {};
int dlgFormatCount = 0;
UINT dlgDeviceIds[15] = {};
int dlgDeviceCount = 0;
WAVEFORMATEX suggestSource = {};

namespace {

const char kNoneAvailable[] = "None Available";
const int kAudioGroupControls[] = {IDC_AUDIO_FORMAT, IDC_VOLUME, IDC_COMPRESSED_FORMAT,
                                   IDC_COMPRESSION_FORMAT};

// A format block: movable, zeroed global memory kept locked while the pointer is out.
// Frees whatever `block` held first; null when the memory cannot be had.
WAVEFORMATEX* AllocateFormat(korvane::LockedGlobal& block, DWORD bytes)
{
    block.Reset();
    block = korvane::AllocateLockedGlobal(bytes);
    return static_cast<WAVEFORMATEX*>(block.Get());
}

// dlgCompressFormat is freed by the dialog's OK; compressFormat lives for the run.
korvane::LockedGlobal dlgFormatBlock;
korvane::LockedGlobal compressFormatBlock;

void EnableAudioGroup(HWND dialog, bool enable)
{
    for (int id : kAudioGroupControls)
        EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

void RebuildSuggestSource()
{
    suggestSource = korvane::BuildPcmRecordingFormat(dlgAudioBitsPerSample, dlgAudioChannels,
                                                     dlgAudioSamplesPerSec);
}

void ShowMetricsFailure(MMRESULT result)
{
    char text[64];
    std::snprintf(text, sizeof text, "Metrics failed mmresult=%u!", result);
    korvane::Audio().ShowMessage(nullptr, text, "Note", MB_OK | MB_ICONWARNING);
}

}  // namespace

void InitAudioControls(HWND dialog)
{
    CheckDlgButton(dialog, IDC_RECORD_AUDIO,
                   settings.recordAudio == 1 ? BST_CHECKED : BST_UNCHECKED);
    dlgAudioBitsPerSample = settings.audioBitsPerSample;
    dlgAudioChannels = settings.audioChannels;
    dlgAudioSamplesPerSec = settings.audioSamplesPerSec;
    dlgCompressAudio = settings.compressAudio;

    // Only the first 14 devices fit beside the mapper; the rest are not offered.
    dlgDeviceCount = korvane::ListWaveInDevices(
        korvane::Audio().WaveInDeviceCount(),
        [](UINT id) {
            WAVEINCAPSA caps = {};
            return korvane::Audio().WaveInDeviceCaps(id, &caps) == MMSYSERR_NOERROR;
        },
        dlgDeviceIds, static_cast<int>(sizeof dlgDeviceIds / sizeof dlgDeviceIds[0]));
    const UINT device =
        korvane::DeviceToDescribe(settings.audioDeviceId, dlgDeviceIds, dlgDeviceCount);

    dlgFormatCount = 0;
    FillAudioFormatCombo(dialog, device);
    EnableAudioGroup(dialog, settings.recordAudio == 1);
}

void StoreAudioControls(HWND dialog)
{
    settings.recordAudio = IsDlgButtonChecked(dialog, IDC_RECORD_AUDIO) == BST_CHECKED ? 1 : 0;
    const int selected =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_AUDIO_FORMAT, CB_GETCURSEL, 0, 0));
    if (dlgFormatCount > 0 && selected >= 0 && selected < dlgFormatCount && dlgCompressFormat &&
        dlgDeviceCount > 0) {
        if (!compressFormat)
            EnsureCompressFormat();
        if (compressFormat && compressFormatSize >= dlgCompressFormatSize) {
            compressFormatSize = dlgCompressFormatSize;
            settings.audioDeviceId = dlgDeviceIds[0];
            settings.compressAudio = dlgCompressAudio;
            std::memcpy(compressFormat, dlgCompressFormat, dlgCompressFormatSize);
            settings.audioFormatFlag = dlgFormatFlags[selected];
            settings.audioBitsPerSample = dlgAudioBitsPerSample;
            settings.audioChannels = dlgAudioChannels;
            settings.audioSamplesPerSec = dlgAudioSamplesPerSec;
            captureFormat = BuildPcmRecordingFormat();
        }
    }
    dlgFormatBlock.Reset();
    dlgCompressFormat = nullptr;
}

void FillAudioFormatCombo(HWND dialog, UINT deviceId)
{
    WAVEINCAPSA caps = {};
    const DWORD formats =
        korvane::Audio().WaveInDeviceCaps(deviceId, &caps) == MMSYSERR_NOERROR ? caps.dwFormats : 0;

    HWND combo = GetDlgItem(dialog, IDC_AUDIO_FORMAT);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    dlgFormatCount = korvane::OfferedRecordingFormats(
        formats, dlgFormatFlags,
        static_cast<int>(sizeof dlgFormatFlags / sizeof dlgFormatFlags[0]));
    for (int i = 0; i < dlgFormatCount; ++i) {
        char text[64] = {};
        LoadStringA(GetModuleHandleA(nullptr),
                    korvane::RecordingFormatForFlag(dlgFormatFlags[i])->stringId, text,
                    sizeof text);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    if (dlgFormatCount == 0) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoneAvailable));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_COMPRESSED_FORMAT, kNoneAvailable);
        EnableWindow(GetDlgItem(dialog, IDC_COMPRESSION_FORMAT), FALSE);
        return;
    }

    EnableWindow(GetDlgItem(dialog, IDC_COMPRESSION_FORMAT), TRUE);
    const int found =
        korvane::FindFormatFlag(dlgFormatFlags, dlgFormatCount, settings.audioFormatFlag);
    if (found < 0) {
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        OnAudioFormatSelChange(dialog);
        return;
    }
    EnsureDlgCompressFormat();
    if (!compressFormat)
        ProposeCompressedFormat();
    else if (dlgCompressFormat)
        std::memcpy(dlgCompressFormat, compressFormat,
                    compressFormatSize < dlgCompressFormatSize ? compressFormatSize
                                                               : dlgCompressFormatSize);
    ShowCompressionName(dialog);
    SendMessageA(combo, CB_SETCURSEL, found, 0);
}

bool GetFormatTagName(char* buffer, int bufferSize)
{
    // Without a block (its allocation failed) there is no tag to name.
    if (!dlgCompressFormat || bufferSize <= 0)
        return false;
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof details;
    details.dwFormatTag = dlgCompressFormat->wFormatTag;
    if (acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) !=
        MMSYSERR_NOERROR)
        return false;
    std::snprintf(buffer, static_cast<size_t>(bufferSize), "%s", details.szFormatTag);
    return true;
}

void ShowCompressionName(HWND dialog)
{
    if (dlgCompressAudio == 0) {
        SetDlgItemTextA(dialog, IDC_COMPRESSED_FORMAT, kNoneAvailable);
        return;
    }
    char name[ACMFORMATTAGDETAILS_FORMATTAG_CHARS] = {};
    if (GetFormatTagName(name, sizeof name))
        SetDlgItemTextA(dialog, IDC_COMPRESSED_FORMAT, name);
}

void ProposeCompressedFormat()
{
    dlgCompressAudio = 1;
    EnsureDlgCompressFormat();
    if (!dlgCompressFormat)
        return;
    RebuildSuggestSource();
    WORD tags[3];
    const int count = korvane::ProposalFormatTags(dlgAudioSamplesPerSec, dlgAudioChannels,
                                                  dlgAudioBitsPerSample, tags);
    for (int i = 0; i < count; ++i) {
        dlgCompressFormat->wFormatTag = tags[i];
        if (acmFormatSuggest(nullptr, &suggestSource, dlgCompressFormat, dlgCompressFormatSize,
                             ACM_FORMATSUGGESTF_WFORMATTAG) == MMSYSERR_NOERROR)
            return;
    }
    dlgCompressAudio = 0;
}

void EnsureDlgCompressFormat()
{
    if (dlgCompressFormat)
        return;
    const MMRESULT result = acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &dlgCompressFormatSize);
    if (result != MMSYSERR_NOERROR) {
        ShowMetricsFailure(result);
        return;
    }
    if (dlgCompressFormatSize < compressFormatSize)
        dlgCompressFormatSize = compressFormatSize;
    dlgCompressFormat = AllocateFormat(dlgFormatBlock, dlgCompressFormatSize);
    if (!dlgCompressFormat) {
        char text[64];
        std::snprintf(text, sizeof text, "GlobalAllocPtr(%lu) failed!",
                      static_cast<unsigned long>(dlgCompressFormatSize));
        korvane::Audio().ShowMessage(nullptr, text, "Note", MB_OK | MB_ICONWARNING);
    }
}

void EnsureCompressFormat()
{
    const MMRESULT result = acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &compressFormatSize);
    if (result != MMSYSERR_NOERROR) {
        ShowMetricsFailure(result);
        return;
    }
    compressFormat = AllocateFormat(compressFormatBlock, compressFormatSize);
    if (!compressFormat)
        korvane::Audio().ShowMessage(nullptr, "ID_ERR_GLOBALALLOCPTR_FORMAT", "Note",
                                     MB_OK | MB_ICONWARNING);
}

bool AdoptCompressFormat(const void* format, DWORD bytes)
{
    DWORD blockSize = 0;
    if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &blockSize) != MMSYSERR_NOERROR)
        return false;
    // The dialog's OK copies only into a block at least as large as its own working one.
    if (blockSize < bytes)
        blockSize = bytes;
    WAVEFORMATEX* block = AllocateFormat(compressFormatBlock, blockSize);
    compressFormat = block;
    compressFormatSize = block ? blockSize : 0;
    if (!block)
        return false;
    std::memcpy(block, format, bytes);
    return true;
}

void OnRecordAudio(HWND dialog)
{
    EnableAudioGroup(dialog, IsDlgButtonChecked(dialog, IDC_RECORD_AUDIO) == BST_CHECKED);
}

void OnAudioFormatSelChange(HWND dialog)
{
    const int selected =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_AUDIO_FORMAT, CB_GETCURSEL, 0, 0));
    if (dlgFormatCount == 0 || selected < 0 || selected >= dlgFormatCount)
        return;
    const korvane::RecordingFormatRow* row =
        korvane::RecordingFormatForFlag(dlgFormatFlags[selected]);
    dlgAudioSamplesPerSec = row->samplesPerSec;
    dlgAudioChannels = row->channels;
    dlgAudioBitsPerSample = row->bitsPerSample;
    RebuildSuggestSource();
    ProposeCompressedFormat();
    ShowCompressionName(dialog);
}

void OnVolume(HWND dialog, const korvane::ProgramStarter& start)
{
    if (korvane::Audio().WaveInDeviceCount() == 0) {
        korvane::Audio().ShowMessage(
            dialog,
            "Unable to detect audio input device. You need a sound card with microphone input.",
            "Warning", MB_OK | MB_ICONWARNING);
        return;
    }
    // The old volume control is gone since Vista; what replaced it is tried first, and
    // a button that opens nothing says so.
    if (!korvane::OpenRecordingLevel(start))
        korvane::Audio().ShowMessage(dialog, korvane::kRecordingLevelFailure, "Note",
                                     MB_OK | MB_ICONWARNING);
}

void OnCompressionFormat(HWND dialog)
{
    if (!dlgCompressFormat)
        ProposeCompressedFormat();
    // Still no block: the chooser would have nowhere to put its pick.
    if (!dlgCompressFormat)
        return;
    RebuildSuggestSource();
    ACMFORMATCHOOSEA choose = {};
    choose.cbStruct = sizeof choose;
    choose.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
    choose.hwndOwner = dialog;
    choose.pwfx = dlgCompressFormat;
    choose.cbwfx = dlgCompressFormatSize;
    choose.pszTitle = "Audio Compression Format";
    choose.fdwEnum = ACM_FORMATENUMF_INPUT;
    choose.pwfxEnum = &suggestSource;
    const MMRESULT result = acmFormatChooseA(&choose);
    if (result == MMSYSERR_NOERROR) {
        ShowCompressionName(dialog);
    } else if (result != ACMERR_CANCELED) {
        char text[64];
        std::snprintf(text, sizeof text, "FormatChoose() failed with error = %u!", result);
        korvane::Audio().ShowMessage(dialog, text, "Note", MB_OK | MB_ICONWARNING);
    }
}
