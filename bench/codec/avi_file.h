// Just enough AVI for the codec tools: write one video stream (Video 1 or ZMBV) with an index, and read
// the coded frames of the first video stream back. Host tools only; single thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace v1tools {

struct AviVideo {
    int width = 0, height = 0;
    char fourcc[5] = "MSVC";  // what the stream header and the format name
    int bitCount = 16;
    std::vector<std::vector<uint8_t>> frames;  // coded chunks in file order
    std::vector<bool> keys;
};

bool WriteVideo1Avi(const std::string& path, const AviVideo& video, int fps);
bool ReadAviVideo(const std::string& path, AviVideo* video, std::string* error);

}  // namespace v1tools
