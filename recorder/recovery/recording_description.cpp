// The description's text form. Unknown keys are ignored, so a later recorder may add some.
#include "recording_description.h"

#include <map>

namespace korvane {

const char kDescriptionExtension[] = ".krec";

namespace {

const char kFirstLine[] = "korvane recording 1";
const char kHexDigits[] = "0123456789abcdef";

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 15];
    }
    return text;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexValue(text[i]);
        const int lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return true;
}

// A decimal number that fits 32 bits, nothing else on the line.
bool Number(const std::string& text, uint32_t& out)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

uint32_t Le32(const std::vector<uint8_t>& v, size_t at)
{
    return static_cast<uint32_t>(v[at]) | static_cast<uint32_t>(v[at + 1]) << 8 |
           static_cast<uint32_t>(v[at + 2]) << 16 | static_cast<uint32_t>(v[at + 3]) << 24;
}

}  // namespace

std::string DescriptionPathFor(const std::string& aviPath)
{
    return aviPath + kDescriptionExtension;
}

std::string FormatDescription(const RecordingDescription& d)
{
    std::string t = std::string(kFirstLine) + "\r\n";
    auto line = [&t](const char* key, const std::string& value) {
        t += key;
        t += '=';
        t += value;
        t += "\r\n";
    };
    line("process", std::to_string(d.processId));
    line("started", d.started);
    line("part", std::to_string(d.part));
    line("avi", d.aviPath);
    line("wav", d.wavPath);
    line("merged", d.mergedPath);
    line("rate", std::to_string(d.framesPerSecond));
    line("width", std::to_string(d.width));
    line("height", std::to_string(d.height));
    line("compressor", d.compressor);
    line("quality", std::to_string(d.quality));
    line("buffer", std::to_string(d.suggestedBufferBytes));
    line("video-format", Hex(d.videoFormat));
    line("audio-format", Hex(d.audioFormat));
    line("state", d.complete ? "complete" : "recording");
    line("reserve", d.reservePath);
    // Numbered keys, so that a reader that knows no parts still reads the first.
    for (size_t i = 0; i < d.laterParts.size(); ++i) {
        const std::string n = std::to_string(i + 2);
        line(("avi-" + n).c_str(), d.laterParts[i].aviPath);
        line(("merged-" + n).c_str(), d.laterParts[i].mergedPath);
        line(("first-" + n).c_str(), std::to_string(d.laterParts[i].firstIndex));
    }
    return t;
}

bool ParseDescription(const std::string& text, RecordingDescription& out)
{
    std::map<std::string, std::string> values;
    size_t at = 0;
    bool first = true;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (first) {
            if (line != kFirstLine)
                return false;
            first = false;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    if (first)
        return false;

    RecordingDescription d;
    const char* numbers[] = {"process", "part", "rate", "width", "height", "quality", "buffer"};
    uint32_t* fields[] = {&d.processId, &d.part,    &d.framesPerSecond,     &d.width,
                          &d.height,    &d.quality, &d.suggestedBufferBytes};
    for (size_t i = 0; i < sizeof numbers / sizeof numbers[0]; ++i)
        if (!Number(values[numbers[i]], *fields[i]))
            return false;
    d.started = values["started"];
    d.aviPath = values["avi"];
    d.wavPath = values["wav"];
    d.mergedPath = values["merged"];
    d.compressor = values["compressor"];
    d.complete = values["state"] == "complete";
    d.reservePath = values["reserve"];
    uint32_t lastFirst = 0;
    for (size_t n = 2; values.count("avi-" + std::to_string(n)) != 0; ++n) {
        const std::string number = std::to_string(n);
        LaterPart part;
        part.aviPath = values["avi-" + number];
        part.mergedPath = values["merged-" + number];
        if (part.aviPath.empty() || d.laterParts.size() == kMaxLaterParts ||
            !Number(values["first-" + number], part.firstIndex) || part.firstIndex <= lastFirst)
            return false;
        lastFirst = part.firstIndex;
        d.laterParts.push_back(part);
    }
    if (!FromHex(values["video-format"], d.videoFormat) ||
        !FromHex(values["audio-format"], d.audioFormat))
        return false;
    // Limits far above any real recording keep the arithmetic that follows in range.
    if (d.aviPath.empty() || d.part == 0 || d.framesPerSecond == 0 || d.width == 0 ||
        d.height == 0 || d.width > 65536 || d.height > 65536 || d.compressor.size() != 4)
        return false;
    if (d.videoFormat.size() < 40 || d.videoFormat.size() > 4096 || Le32(d.videoFormat, 0) < 40 ||
        Le32(d.videoFormat, 0) > d.videoFormat.size())
        return false;
    if (d.wavPath.empty() != d.audioFormat.empty())
        return false;
    out = d;
    return true;
}

namespace {

bool SameLetters(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// `path` is `folder`, a backslash (doubled where the folder was given with one at its
// end) and a plain file name.
bool DirectlyIn(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.size() <= folder.size() + 1 ||
        !SameLetters(path.substr(0, folder.size()), folder) || path[folder.size()] != '\\')
        return false;
    const size_t start = path.find_first_not_of('\\', folder.size());
    if (start == std::string::npos || start > folder.size() + 2)
        return false;
    const std::string name = path.substr(start);
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return false;
    // Windows drops trailing dots and spaces: "..", ". ." and the like name a folder.
    return name.find_first_not_of(". ") != std::string::npos;
}

}  // namespace

bool NamesOnlyFilesIn(const RecordingDescription& d, const std::string& folder)
{
    std::string base = folder;
    while (!base.empty() && (base.back() == '\\' || base.back() == '/'))
        base.pop_back();
    const auto inside = [&base](const std::string& path, bool mayBeEmpty) {
        return (mayBeEmpty && path.empty()) || DirectlyIn(path, base);
    };
    if (!inside(d.aviPath, false) || !inside(d.wavPath, true) || !inside(d.mergedPath, true) ||
        !inside(d.reservePath, true))
        return false;
    for (const LaterPart& part : d.laterParts)
        if (!inside(part.aviPath, false) || !inside(part.mergedPath, true))
            return false;
    return true;
}

uint32_t MaxFrameBytes(const RecordingDescription& d)
{
    const uint64_t raw = static_cast<uint64_t>(d.width) * d.height * 4 + 65536;
    return raw > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(raw);
}

}  // namespace korvane
