// The remembered options in the registry (UI thread only).
#include "options_store.h"

#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "audio/audio_controls.h"
#include "audio/audio_state.h"
#include "audio/pcm_format.h"
#include "audio/recording_formats.h"
#include "ansi_text.h"
#include "avifile_owners.h"
#include "capture/compressor_state.h"
#include "hotkey_keys.h"
#include "kernel_owners.h"
#include "options_rules.h"
#include "remembered_options.h"

#include <mmreg.h>
#include <msacm.h>
#include <vfw.h>

#include <cstring>

namespace korvane {

namespace {

const char kOptionsKey[] = "Software\\Korvane\\Options";

const char* const kStoredNames[] = {
    stored::kFramesPerSecond,    stored::kQuality,         stored::kCompressor,
    stored::kCompressorStateFor, stored::kCompressorState, stored::kRecordAudio,
    stored::kAudioFormat,        stored::kCompressAudio,   stored::kCompressFormat,
    stored::kRecordPauseKey,     stored::kStopKey,         stored::kRegionMode,
    stored::kFixedWidth,         stored::kFixedHeight,     stored::kMinimizeOnStart,
    stored::kRecordCursor,
};

// One value as the registry holds it; anything larger than the largest block an option
// keeps is not even read.
StoredValue ReadValue(HKEY key, const char* name)
{
    StoredValue value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kMaxCompressorStateBytes)
        return value;
    std::vector<uint8_t> bytes(size);
    if (RegQueryValueExA(key, name, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
        return value;
    bytes.resize(size);
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        value.kind = StoredValue::Kind::Number;
        std::memcpy(&value.number, bytes.data(), sizeof(DWORD));
    } else if (type == REG_BINARY) {
        value.kind = StoredValue::Kind::Bytes;
        value.bytes = std::move(bytes);
    }
    return value;
}

RememberedOptions FromSettings(const RecordingSettings& s)
{
    RememberedOptions o;
    o.framesPerSecond = s.framesPerSecond;
    o.compressorQuality = s.compressorQuality;
    o.compressorFourCC = s.compressorFourCC;
    o.recordAudio = s.recordAudio;
    o.audioFormatFlag = s.audioFormatFlag;
    o.compressAudio = s.compressAudio;
    o.recordPauseKey = s.recordPauseKey;
    o.stopKey = s.stopKey;
    o.regionMode = static_cast<int>(s.regionMode);
    o.fixedWidth = s.fixedWidth;
    o.fixedHeight = s.fixedHeight;
    o.minimizeOnStart = s.minimizeOnStart;
    o.recordCursor = s.recordCursor;
    return o;
}

OptionsEnvironment ThisMachine()
{
    OptionsEnvironment e;
    e.screenWidth = screenWidth;
    e.screenHeight = screenHeight;
    e.compressorExists = [](uint32_t fourCC) {
        return static_cast<bool>(Compressor(ICTYPE_VIDEO, fourCC, ICMODE_QUERY));
    };
    e.recordingFormatExists = [](uint32_t flag) { return RecordingFormatForFlag(flag) != nullptr; };
    e.audioFormatTagExists = [](uint16_t tag) {
        ACMFORMATTAGDETAILSA details = {};
        details.cbStruct = sizeof details;
        details.dwFormatTag = tag;
        return acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) ==
               MMSYSERR_NOERROR;
    };
    return e;
}

std::string FormatTagName(WORD tag)
{
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof details;
    details.dwFormatTag = tag;
    if (acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) !=
        MMSYSERR_NOERROR)
        return {};
    return details.szFormatTag;
}

// The status lines the options dialog's OK would have made of these settings.
void ComposeStatusLines()
{
    // The dialog's list shows what each compressor reports of itself.
    std::string compressor = CompressorDescription(settings.compressorFourCC);
    if (compressor.empty())
        compressor = CompressorInUseName(settings.compressorFourCC, {});
    settings.videoStatusLine =
        VideoStatusLine(compressor, std::to_string(settings.compressorQuality / 100),
                        std::to_string(settings.framesPerSecond));

    char formatText[64] = {};
    if (const RecordingFormatRow* row = RecordingFormatForFlag(settings.audioFormatFlag))
        LoadStringA(GetModuleHandleA(nullptr), row->stringId, formatText, sizeof formatText);
    if (settings.recordAudio != 1) {
        settings.audioStatusLine = AudioStatusLine(false, {}, {});
    } else if (settings.compressAudio == 0) {
        settings.audioStatusLine = AudioStatusLine(true, "None Available", formatText);
    } else if (compressFormat) {
        settings.audioStatusLine =
            AudioStatusLine(true, FormatTagName(compressFormat->wFormatTag), formatText);
    }
    // Otherwise no compressed format was ever chosen: the line stays the default one.

    settings.hotkeyStatusLine =
        HotkeyStatusLine(RecordPauseKeyText(KeyToComboIndex(settings.recordPauseKey)),
                         StopKeyText(KeyToComboIndex(settings.stopKey)));
}

void Apply(const RememberedOptions& o)
{
    settings.framesPerSecond = o.framesPerSecond;
    settings.frameIntervalMs = 1000 / o.framesPerSecond;
    settings.keyFrameEvery = o.framesPerSecond;
    settings.compressorQuality = o.compressorQuality;
    settings.compressorFourCC = o.compressorFourCC;
    settings.recordAudio = o.recordAudio;
    settings.compressAudio = o.compressAudio;
    if (const RecordingFormatRow* row = RecordingFormatForFlag(o.audioFormatFlag)) {
        settings.audioFormatFlag = o.audioFormatFlag;
        settings.audioBitsPerSample = row->bitsPerSample;
        settings.audioChannels = row->channels;
        settings.audioSamplesPerSec = row->samplesPerSec;
        captureFormat = ::BuildPcmRecordingFormat();
    }
    settings.recordPauseKey = o.recordPauseKey;
    settings.stopKey = o.stopKey;
    settings.regionMode = static_cast<RegionMode>(o.regionMode);
    settings.fixedWidth = o.fixedWidth;
    settings.fixedHeight = o.fixedHeight;
    settings.minimizeOnStart = o.minimizeOnStart;
    settings.recordCursor = o.recordCursor;

    if (!o.compressorState.empty() &&
        AllocStateBuffer(static_cast<int>(o.compressorState.size()))) {
        std::memcpy(savedStateBytes, o.compressorState.data(), o.compressorState.size());
        savedStateFourCC = o.compressorStateFourCC;
    }
    if (!o.compressFormat.empty())
        AdoptCompressFormat(o.compressFormat.data(), static_cast<DWORD>(o.compressFormat.size()));
}

}  // namespace

std::string CompressorDescription(DWORD fourCC)
{
    Compressor compressor(ICTYPE_VIDEO, fourCC, ICMODE_QUERY);
    if (!compressor)
        return {};
    ICINFO info{};
    info.dwSize = sizeof info;
    if (!ICGetInfo(compressor.Get(), &info, sizeof info))
        return {};
    return AnsiFromWide(info.szDescription);
}

bool RestoreRememberedOptions()
{
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS)
        return false;
    key.NoteReceived();
    StoredValues stored;
    for (const char* name : kStoredNames)
        stored[name] = ReadValue(key.Get(), name);
    Apply(ReadRememberedOptions(stored, FromSettings(RecordingSettings{}), ThisMachine()));
    ComposeStatusLines();
    return true;
}

void RememberOptions()
{
    RememberedOptions o = FromSettings(settings);
    if (savedStateBytes && savedStateSize > 0 && savedStateFourCC != 0) {
        const auto* bytes = static_cast<const uint8_t*>(savedStateBytes);
        o.compressorStateFourCC = savedStateFourCC;
        o.compressorState.assign(bytes, bytes + savedStateSize);
    }
    // The format itself, without the rest of the block it sits in.
    if (compressFormat && compressFormatSize >= sizeof(WAVEFORMATEX)) {
        const DWORD used = sizeof(WAVEFORMATEX) + compressFormat->cbSize;
        if (used <= compressFormatSize) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(compressFormat);
            o.compressFormat.assign(bytes, bytes + used);
        }
    }
    RegistryKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    key.NoteReceived();
    const StoredValues values = StoreRememberedOptions(o);
    for (const char* name : kStoredNames) {
        const auto it = values.find(name);
        if (it == values.end()) {
            RegDeleteValueA(key.Get(), name);
        } else if (it->second.kind == StoredValue::Kind::Number) {
            const DWORD number = it->second.number;
            RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                           sizeof number);
        } else {
            RegSetValueExA(key.Get(), name, 0, REG_BINARY, it->second.bytes.data(),
                           static_cast<DWORD>(it->second.bytes.size()));
        }
    }
}

}  // namespace korvane
