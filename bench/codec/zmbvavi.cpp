// zmbvavi: the ZMBV core as a command-line tool, for the cross-checks against FFmpeg and
// for the benchmark. Raw files are top-down frames as FFmpeg's rawvideo writes them.
//   zmbvavi encode W H FORMAT KEYEVERY in.raw out.avi [ours.raw] [KEYLEVEL INTERLEVEL]
//       FORMAT: bgr0, bgr24, rgb565, rgb555 (raw in that layout), or pal8 (bgr24 input
//       mapped to a 3-3-2 palette that changes every 5 frames). Prints frames, bytes per
//       frame and encode milliseconds per frame (mean and median, Encode only), as time
//       passed and then as this thread's processor time (which a loaded machine inflates
//       far less, and which is what FFmpeg's user time measures too).
//   zmbvavi decode in.avi out.raw
//       bgr24 for 32-bit and palette streams, the stream's own 16 bits otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <time.h>

#include "avi_file.h"
#include "zmbv.h"

namespace {

double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool ReadFile(const char* path, std::vector<uint8_t>* data)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data->insert(data->end(), buf, buf + n);
    std::fclose(f);
    return true;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& data)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

// Appends the decoder's picture top-down as `decode` writes it.
void AppendPicture(const zmbv::Decoder& dec, std::vector<uint8_t>* out)
{
    const int w = dec.width(), h = dec.height();
    const bool sixteen =
        dec.format() == zmbv::StreamFormat::Rgb555 || dec.format() == zmbv::StreamFormat::Rgb565;
    const size_t at = out->size();
    if (sixteen) {
        out->insert(out->end(), dec.picture(), dec.picture() + static_cast<size_t>(w) * h * 2);
        return;
    }
    out->resize(at + static_cast<size_t>(w) * h * 3);
    dec.CopyTo(out->data() + at + static_cast<size_t>(h - 1) * w * 3, -w * 3, 24);
}

struct Format {
    const char* name;
    zmbv::PixelFormat pixel;
    int rawBytes;  // per pixel in the input file
};
const Format kFormats[] = {{"bgr0", zmbv::PixelFormat::Bgrx32, 4},
                           {"bgr24", zmbv::PixelFormat::Bgr24, 3},
                           {"rgb565", zmbv::PixelFormat::Rgb565, 2},
                           {"rgb555", zmbv::PixelFormat::Rgb555, 2},
                           {"pal8", zmbv::PixelFormat::Pal8, 3}};

int Encode(int argc, char** argv)
{
    if (argc < 8)
        return 2;
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]), keyEvery = std::atoi(argv[5]);
    const Format* format = nullptr;
    for (const Format& f : kFormats)
        if (!std::strcmp(argv[4], f.name))
            format = &f;
    std::vector<uint8_t> raw;
    if (!format || w <= 0 || h <= 0 || !ReadFile(argv[6], &raw))
        return std::fprintf(stderr, "bad format or unreadable %s\n", argv[6]), 1;
    zmbv::EncoderLevels levels;
    if (argc > 10) {
        levels.key = std::atoi(argv[9]);
        levels.inter = std::atoi(argv[10]);
    }
    const size_t frameBytes = static_cast<size_t>(w) * h * format->rawBytes;
    const size_t count = raw.size() / frameBytes;
    const zmbv::StreamFormat stream = zmbv::StreamFormatFor(format->pixel);
    zmbv::Encoder enc(w, h, format->pixel, levels);
    zmbv::Decoder dec(w, h);
    v1tools::AviVideo avi;
    avi.width = w;
    avi.height = h;
    std::memcpy(avi.fourcc, "ZMBV", 5);
    avi.bitCount = zmbv::BytesPerPixel(stream) * 8;
    std::vector<uint8_t> buf(zmbv::MaxEncodedSize(w, h, stream)), ours, indices;
    std::vector<double> times, cpuTimes;
    size_t bytes = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* frame = raw.data() + i * frameBytes;
        zmbv::SourceFrame src;
        src.format = format->pixel;
        uint32_t palette[256];
        if (format->pixel == zmbv::PixelFormat::Pal8) {
            indices.resize(static_cast<size_t>(w) * h);
            for (size_t p = 0; p < indices.size(); ++p) {
                const uint8_t* c = frame + 3 * p;  // b, g, r
                indices[p] =
                    static_cast<uint8_t>((c[2] & 0xE0) | ((c[1] >> 3) & 0x1C) | (c[0] >> 6));
            }
            const uint32_t tint = (i / 5) % 2 ? 0x00100810 : 0;
            for (uint32_t p = 0; p < 256; ++p)
                palette[p] = (((p & 0xE0) << 16) | ((p & 0x1C) << 11) | ((p & 3) << 6)) ^ tint;
            src.palette = palette;
            frame = indices.data();
        }
        const int rowBytes = format->pixel == zmbv::PixelFormat::Pal8 ? w : w * format->rawBytes;
        src.bits = frame + static_cast<size_t>(h - 1) * rowBytes;  // bottom row first
        src.stride = -rowBytes;
        bool key = false;
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = ThreadSeconds();
        const size_t n =
            enc.Encode(src, keyEvery > 0 && i % keyEvery == 0, buf.data(), buf.size(), &key);
        cpuTimes.push_back(ThreadSeconds() - c0);
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (n == 0)
            return std::fprintf(stderr, "encode failed at frame %zu\n", i), 1;
        avi.frames.emplace_back(buf.begin(), buf.begin() + n);
        avi.keys.push_back(key);
        bytes += n;
        if (argc > 8) {
            if (dec.Decode(buf.data(), n) != zmbv::DecodeResult::Ok)
                return std::fprintf(stderr, "own frame %zu does not decode\n", i), 1;
            AppendPicture(dec, &ours);
        }
    }
    if (!v1tools::WriteVideo1Avi(argv[7], avi, 25))
        return std::fprintf(stderr, "write failed\n"), 1;
    if (argc > 8 && !WriteFile(argv[8], ours))
        return 1;
    double total = 0, cpuTotal = 0;
    for (size_t i = 0; i < count; ++i)
        total += times[i], cpuTotal += cpuTimes[i];
    std::printf("frames %zu bytes/frame %.0f ms/frame %.3f median %.3f cpu %.3f median %.3f\n",
                count, count ? double(bytes) / count : 0.0, count ? 1000 * total / count : 0.0,
                1000 * Median(times), count ? 1000 * cpuTotal / count : 0.0,
                1000 * Median(cpuTimes));
    return 0;
}

int Decode(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    v1tools::AviVideo avi;
    std::string error;
    if (!v1tools::ReadAviVideo(argv[2], &avi, &error))
        return std::fprintf(stderr, "%s\n", error.c_str()), 1;
    zmbv::Decoder dec(avi.width, avi.height);
    std::vector<uint8_t> out;
    int bad = 0;
    for (const auto& f : avi.frames) {
        if (f.empty())
            continue;  // a dropped frame: FFmpeg shows nothing new either
        if (dec.Decode(f.data(), f.size()) != zmbv::DecodeResult::Ok)
            ++bad;
        if (dec.HasPicture())
            AppendPicture(dec, &out);
    }
    if (!WriteFile(argv[3], out))
        return 1;
    if (bad)
        std::fprintf(stderr, "%d frames did not decode cleanly\n", bad);
    return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string cmd = argc > 1 ? argv[1] : "";
    int rc = 2;
    if (cmd == "encode")
        rc = Encode(argc, argv);
    else if (cmd == "decode")
        rc = Decode(argc, argv);
    if (rc == 2)
        std::fprintf(stderr, "usage: see the head of bench/codec/zmbvavi.cpp\n");
    return rc;
}
