// The options the recorder keeps per user between runs, and the checks every stored value
// passes when it is read back: a value that is missing, of the wrong type or size, out of
// range, or that names a compressor, audio format or key that no longer exists gives its
// default. Pure; the store (options_store.cpp) reads and writes the registry.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace korvane {

// What the recorder keeps, with the settings' meanings and the defaults of a first start
// filled in by the caller.
struct RememberedOptions {
    int framesPerSecond = 0;
    int compressorQuality = 0;
    uint32_t compressorFourCC = 0;
    uint32_t compressorStateFourCC = 0;  // 0: no configured state kept
    std::vector<uint8_t> compressorState;
    int recordAudio = 0;
    uint32_t audioFormatFlag = 0;
    int compressAudio = 0;
    std::vector<uint8_t> compressFormat;  // a WAVEFORMATEX with its extra bytes; empty: none
    int recordPauseKey = 0;
    int stopKey = 0;
    int regionMode = 0;
    int fixedWidth = 0;
    int fixedHeight = 0;
    int minimizeOnStart = 0;
    int recordCursor = 0;
};

// One value as the store holds it: a 32-bit number, a block of bytes, or anything else
// (a string, a number of another size), which no option accepts.
struct StoredValue {
    enum class Kind { Number, Bytes, Other } kind = Kind::Other;
    uint32_t number = 0;
    std::vector<uint8_t> bytes;
};
using StoredValues = std::map<std::string, StoredValue>;

// What the checks ask of the machine the recorder runs on.
struct OptionsEnvironment {
    int screenWidth = 0;
    int screenHeight = 0;
    std::function<bool(uint32_t fourCC)> compressorExists;
    std::function<bool(uint32_t formatFlag)> recordingFormatExists;
    std::function<bool(uint16_t formatTag)> audioFormatTagExists;
};

// The largest blocks kept: a compressor's configured state, an audio format.
constexpr size_t kMaxCompressorStateBytes = 64 * 1024;
constexpr size_t kMaxCompressFormatBytes = 1024;

// The names the values are stored under.
namespace stored {
constexpr const char kFramesPerSecond[] = "FramesPerSecond";
constexpr const char kQuality[] = "Quality";
constexpr const char kCompressor[] = "Compressor";
constexpr const char kCompressorStateFor[] = "CompressorStateFor";
constexpr const char kCompressorState[] = "CompressorState";
constexpr const char kRecordAudio[] = "RecordAudio";
constexpr const char kAudioFormat[] = "AudioFormat";
constexpr const char kCompressAudio[] = "CompressAudio";
constexpr const char kCompressFormat[] = "CompressFormat";
constexpr const char kRecordPauseKey[] = "RecordPauseKey";
constexpr const char kStopKey[] = "StopKey";
constexpr const char kRegionMode[] = "RegionMode";
constexpr const char kFixedWidth[] = "FixedWidth";
constexpr const char kFixedHeight[] = "FixedHeight";
constexpr const char kMinimizeOnStart[] = "MinimizeOnStart";
constexpr const char kRecordCursor[] = "RecordCursor";
}  // namespace stored

// The options to start with: each stored value that passes its check, else its default.
RememberedOptions ReadRememberedOptions(const StoredValues& stored,
                                        const RememberedOptions& defaults,
                                        const OptionsEnvironment& environment);
// The values that keep `options`, for the store to write.
StoredValues StoreRememberedOptions(const RememberedOptions& options);

}  // namespace korvane
