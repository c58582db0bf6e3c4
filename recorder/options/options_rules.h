// What the options dialog's OK makes of the texts its controls show: the frame rate and
// quality, the fixed-region checks with their messages, and the three status lines.
// Pure; the dialog gathers the texts and applies the results (UI thread).
#pragma once
#include "app/region_mode.h"

#include <cstdint>
#include <string>

// Reads an integer the way "%d" does (leading blanks and a sign allowed, the rest
// ignored); false when the text does not begin with a number. Out-of-range values are
// clamped to the int range.
bool ReadInt(const char* text, int* value);

struct VideoChoice {
    bool valid;  // false: the frame rate text held no positive number
    int framesPerSecond;
    int frameIntervalMs;
    int keyFrameEvery;
    int compressorQuality;  // 0 to 10000
};
VideoChoice ReadVideoChoice(const char* frameRateText, const char* qualityText);

struct RegionCheck {
    bool accepted;
    int width;
    int height;
    std::string message;  // the warning to show when not accepted
};
// The fixed size typed into the width and height fields, checked against the screen in
// the order width, then height. A text that is not a number counts as 0.
RegionCheck CheckFixedRegion(const char* widthText, const char* heightText, int screenWidth,
                             int screenHeight);

std::string VideoStatusLine(const std::string& compressor, const std::string& quality,
                            const std::string& frameRate);
std::string AudioStatusLine(bool recordAudio, const std::string& compressedFormat,
                            const std::string& recordingFormat);
std::string HotkeyStatusLine(const std::string& recordPauseKey, const std::string& stopKey);
// What Record will take, for the main window: the whole desktop with the size of every
// monitor's bounding box as measured now, which a display change alters. Empty for a
// mode it does not know, for which Record does nothing.
std::string RegionStatusLine(RegionMode mode, int fixedWidth, int fixedHeight, int desktopWidth,
                             int desktopHeight);

// The compressor the video line names when the catalogue offered none: Video 1 by its
// name, another compressor by the description it reports, else by its four letters.
std::string CompressorInUseName(uint32_t fourCC, const std::string& reportedDescription);
std::string FourCCText(uint32_t fourCC);

// A four-character code as the platform packs it: the first letter in the low byte.
constexpr uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
