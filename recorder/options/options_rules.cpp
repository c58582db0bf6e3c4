// The options dialog's OK rules (pure).
#include "options_rules.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

bool ReadInt(const char* text, int* value)
{
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(text, &end, 10);
    if (end == text)
        return false;
    if (n > INT_MAX || (errno == ERANGE && n > 0))
        *value = INT_MAX;
    else if (n < INT_MIN || (errno == ERANGE && n < 0))
        *value = INT_MIN;
    else
        *value = static_cast<int>(n);
    return true;
}

VideoChoice ReadVideoChoice(const char* frameRateText, const char* qualityText)
{
    VideoChoice c{};
    int fps = 0, percent = 0;
    // A missing or zero rate would divide by zero; the caller then keeps the old values.
    if (!ReadInt(frameRateText, &fps) || fps <= 0 || !ReadInt(qualityText, &percent))
        return c;
    c.valid = true;
    c.framesPerSecond = fps;
    c.frameIntervalMs = 1000 / fps;
    c.keyFrameEvery = fps;
    c.compressorQuality = percent * 100;
    return c;
}

namespace {

std::string Formatted(const char* format, int value)
{
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

RegionCheck CheckFixedRegion(const char* widthText, const char* heightText, int screenWidth,
                             int screenHeight)
{
    RegionCheck r{false, 0, 0, {}};
    if (!ReadInt(widthText, &r.width))
        r.width = 0;
    if (!ReadInt(heightText, &r.height))
        r.height = 0;
    if (r.width <= 0)
        r.message = "The width must be greater than 0";
    else if (r.width > screenWidth)
        r.message = Formatted("The width must be smaller than the screen width (%d)", screenWidth);
    else if (r.height <= 0)
        r.message = "The height must be greater than 0";
    else if (r.height > screenHeight)
        r.message =
            Formatted("The height must be smaller than the screen height (%d)", screenHeight);
    else
        r.accepted = true;
    return r;
}

std::string VideoStatusLine(const std::string& compressor, const std::string& quality,
                            const std::string& frameRate)
{
    return "Video: " + compressor + ", Quality " + quality + "%, " + frameRate + " fps";
}

std::string AudioStatusLine(bool recordAudio, const std::string& compressedFormat,
                            const std::string& recordingFormat)
{
    if (!recordAudio)
        return "Audio: none";
    return "Audio: " + compressedFormat + ", " + recordingFormat;
}

std::string HotkeyStatusLine(const std::string& recordPauseKey, const std::string& stopKey)
{
    return "Hotkeys: Record/Pause " + recordPauseKey + ", Stop/Cancel " + stopKey;
}

std::string RegionStatusLine(RegionMode mode, int fixedWidth, int fixedHeight, int desktopWidth,
                             int desktopHeight)
{
    char text[128];
    switch (mode) {
    case RegionMode::FixedSize:
        std::snprintf(text, sizeof text, "Area: %dx%d, placed with the mouse", fixedWidth,
                      fixedHeight);
        return text;
    case RegionMode::Dragged: return "Area: dragged out with the mouse";
    case RegionMode::FullScreen: return "Full screen: the monitor under the pointer";
    case RegionMode::WholeDesktop:
        std::snprintf(text, sizeof text, "Whole desktop: all monitors (%dx%d)", desktopWidth,
                      desktopHeight);
        return text;
    }
    return {};
}

std::string FourCCText(uint32_t fourCC)
{
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = static_cast<char>((fourCC >> shift) & 0xFF);
        if (c)
            text += c;
    }
    return text;
}

std::string CompressorInUseName(uint32_t fourCC, const std::string& reportedDescription)
{
    if (fourCC == MakeFourCC('M', 'S', 'V', 'C'))
        return "Microsoft Video 1";
    if (!reportedDescription.empty())
        return reportedDescription;
    return FourCCText(fourCC);
}
