// Reading back the remembered options with their checks, and the values that keep them.
#include "remembered_options.h"

#include "app/region_mode.h"
#include "frame_rates.h"
#include "hotkey_keys.h"

#include <algorithm>

namespace korvane {

namespace {

// The quality slider runs from 1 to 100 %.
const int kLowestQuality = 100;
const int kHighestQuality = 10000;
// A WAVEFORMATEX without its extra bytes: tag, channels, rate, byte rate, block
// alignment, bits, and the count of extra bytes that follow.
const size_t kWaveFormatBytes = 18;

const StoredValue* Find(const StoredValues& stored, const char* name, StoredValue::Kind kind)
{
    const auto it = stored.find(name);
    if (it == stored.end() || it->second.kind != kind)
        return nullptr;
    return &it->second;
}

// The stored number when `accepts` it, else `fallback`.
template <typename T, typename Accepts>
T Number(const StoredValues& stored, const char* name, T fallback, Accepts accepts)
{
    const StoredValue* value = Find(stored, name, StoredValue::Kind::Number);
    return value && accepts(value->number) ? static_cast<T>(value->number) : fallback;
}

bool InRange(uint32_t value, int low, int high)
{
    return value >= static_cast<uint32_t>(low) && value <= static_cast<uint32_t>(high);
}

int Flag(const StoredValues& stored, const char* name, int fallback)
{
    return Number(stored, name, fallback, [](uint32_t v) { return v <= 1; });
}

bool IsOfferedKey(uint32_t key)
{
    return key <= 0xFF && key != 0 &&
           ComboIndexToKey(KeyToComboIndex(static_cast<int>(key))) == static_cast<int>(key);
}

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t DoubleWord(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// A whole WAVEFORMATEX of a format tag the machine still knows: its extra-byte count must
// account for exactly the bytes stored, and it must describe some sound.
bool IsUsableWaveFormat(const std::vector<uint8_t>& bytes, const OptionsEnvironment& environment)
{
    if (bytes.size() < kWaveFormatBytes || bytes.size() > kMaxCompressFormatBytes)
        return false;
    if (kWaveFormatBytes + Word(bytes, 16) != bytes.size())
        return false;
    const uint16_t channels = Word(bytes, 2);
    const uint32_t samplesPerSec = DoubleWord(bytes, 4);
    const uint16_t blockAlign = Word(bytes, 12);
    if (channels == 0 || channels > 8 || samplesPerSec == 0 || samplesPerSec > 192000 ||
        blockAlign == 0)
        return false;
    return environment.audioFormatTagExists && environment.audioFormatTagExists(Word(bytes, 0));
}

StoredValue NumberValue(uint32_t number)
{
    StoredValue value;
    value.kind = StoredValue::Kind::Number;
    value.number = number;
    return value;
}

StoredValue BytesValue(const std::vector<uint8_t>& bytes)
{
    StoredValue value;
    value.kind = StoredValue::Kind::Bytes;
    value.bytes = bytes;
    return value;
}

}  // namespace

RememberedOptions ReadRememberedOptions(const StoredValues& stored,
                                        const RememberedOptions& defaults,
                                        const OptionsEnvironment& environment)
{
    namespace s = stored;
    RememberedOptions o = defaults;
    o.framesPerSecond =
        Number(stored, s::kFramesPerSecond, defaults.framesPerSecond, [](uint32_t v) {
            return std::find(std::begin(kFrameRateChoices), std::end(kFrameRateChoices),
                             static_cast<int>(v)) != std::end(kFrameRateChoices);
        });
    o.compressorQuality = Number(stored, s::kQuality, defaults.compressorQuality, [](uint32_t v) {
        return InRange(v, kLowestQuality, kHighestQuality);
    });
    const auto exists = [&environment](uint32_t fourCC) {
        return fourCC != 0 && environment.compressorExists && environment.compressorExists(fourCC);
    };
    o.compressorFourCC = Number(stored, s::kCompressor, defaults.compressorFourCC, exists);

    // The configured state goes with the compressor it came from, and only while that
    // compressor is still there.
    o.compressorStateFourCC = defaults.compressorStateFourCC;
    o.compressorState = defaults.compressorState;
    const StoredValue* state = Find(stored, s::kCompressorState, StoredValue::Kind::Bytes);
    const uint32_t stateFor = Number(stored, s::kCompressorStateFor, 0u, exists);
    if (state && stateFor != 0 && !state->bytes.empty() &&
        state->bytes.size() <= kMaxCompressorStateBytes) {
        o.compressorStateFourCC = stateFor;
        o.compressorState = state->bytes;
    }

    o.recordAudio = Flag(stored, s::kRecordAudio, defaults.recordAudio);
    o.audioFormatFlag = Number(stored, s::kAudioFormat, defaults.audioFormatFlag, [&](uint32_t v) {
        return environment.recordingFormatExists && environment.recordingFormatExists(v);
    });
    o.compressAudio = Flag(stored, s::kCompressAudio, defaults.compressAudio);
    const StoredValue* format = Find(stored, s::kCompressFormat, StoredValue::Kind::Bytes);
    if (format && IsUsableWaveFormat(format->bytes, environment))
        o.compressFormat = format->bytes;

    o.recordPauseKey = Number(stored, s::kRecordPauseKey, defaults.recordPauseKey, IsOfferedKey);
    o.stopKey = Number(stored, s::kStopKey, defaults.stopKey, IsOfferedKey);
    // The dialog never lets the two keys meet; a store that has them meet is not to be
    // trusted for either.
    if (o.recordPauseKey == o.stopKey) {
        o.recordPauseKey = defaults.recordPauseKey;
        o.stopKey = defaults.stopKey;
    }

    o.regionMode = Number(stored, s::kRegionMode, defaults.regionMode, IsKnownRegionMode);
    o.fixedWidth = Number(stored, s::kFixedWidth, defaults.fixedWidth,
                          [&](uint32_t v) { return InRange(v, 1, environment.screenWidth); });
    o.fixedHeight = Number(stored, s::kFixedHeight, defaults.fixedHeight,
                           [&](uint32_t v) { return InRange(v, 1, environment.screenHeight); });
    o.minimizeOnStart = Flag(stored, s::kMinimizeOnStart, defaults.minimizeOnStart);
    o.recordCursor = Flag(stored, s::kRecordCursor, defaults.recordCursor);
    return o;
}

StoredValues StoreRememberedOptions(const RememberedOptions& o)
{
    namespace s = stored;
    StoredValues values = {
        {s::kFramesPerSecond, NumberValue(static_cast<uint32_t>(o.framesPerSecond))},
        {s::kQuality, NumberValue(static_cast<uint32_t>(o.compressorQuality))},
        {s::kCompressor, NumberValue(o.compressorFourCC)},
        {s::kRecordAudio, NumberValue(static_cast<uint32_t>(o.recordAudio))},
        {s::kAudioFormat, NumberValue(o.audioFormatFlag)},
        {s::kCompressAudio, NumberValue(static_cast<uint32_t>(o.compressAudio))},
        {s::kRecordPauseKey, NumberValue(static_cast<uint32_t>(o.recordPauseKey))},
        {s::kStopKey, NumberValue(static_cast<uint32_t>(o.stopKey))},
        {s::kRegionMode, NumberValue(static_cast<uint32_t>(o.regionMode))},
        {s::kFixedWidth, NumberValue(static_cast<uint32_t>(o.fixedWidth))},
        {s::kFixedHeight, NumberValue(static_cast<uint32_t>(o.fixedHeight))},
        {s::kMinimizeOnStart, NumberValue(static_cast<uint32_t>(o.minimizeOnStart))},
        {s::kRecordCursor, NumberValue(static_cast<uint32_t>(o.recordCursor))},
    };
    if (o.compressorStateFourCC != 0 && !o.compressorState.empty()) {
        values[s::kCompressorStateFor] = NumberValue(o.compressorStateFourCC);
        values[s::kCompressorState] = BytesValue(o.compressorState);
    }
    if (!o.compressFormat.empty())
        values[s::kCompressFormat] = BytesValue(o.compressFormat);
    return values;
}

}  // namespace korvane
