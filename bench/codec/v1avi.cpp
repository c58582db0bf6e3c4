// v1avi: the codec core as a command-line tool, for the cross-checks against FFmpeg and
// for the benchmark. Raw files are top-down bgr24 frames, as FFmpeg's rawvideo writes them.
//   v1avi encode W H QUALITY KEYEVERY in.bgr24 out.avi [ours.bgr24]
//       prints frames, bytes per frame and encode milliseconds per frame (Encode only);
//       V1AVI_BGRX=1 hands the frames over as 32-bit pixels, as a 32-bit desktop does
//   v1avi decode in.avi out.bgr24|out.rgb555
//   v1avi psnr W H source.bgr24 decoded.bgr24      prints mean and worst frame PSNR
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "avi_file.h"
#include "video1.h"

namespace {

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

bool EndsWith(const std::string& s, const char* tail)
{
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Appends the decoder's picture top-down, as bgr24 or as rgb555 little-endian.
void AppendTopDown(const video1::Decoder& dec, bool rgb555, std::vector<uint8_t>* out)
{
    const int w = dec.width(), h = dec.height(), bpp = rgb555 ? 2 : 3;
    const size_t at = out->size();
    out->resize(at + static_cast<size_t>(w) * h * bpp);
    // A negative stride writes the bottom-up picture top-down.
    dec.CopyTo(out->data() + at + static_cast<size_t>(h - 1) * w * bpp, -w * bpp, bpp * 8);
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int Encode(int argc, char** argv)
{
    if (argc < 8)
        return 2;
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]), q = std::atoi(argv[4]);
    const int keyEvery = std::atoi(argv[5]);
    std::vector<uint8_t> raw;
    if (!ReadFile(argv[6], &raw))
        return std::fprintf(stderr, "cannot read %s\n", argv[6]), 1;
    const size_t frameBytes = static_cast<size_t>(w) * h * 3;
    if (!video1::IsCodableSize(w, h) || frameBytes == 0)
        return std::fprintf(stderr, "size %dx%d not codable\n", w, h), 1;
    const size_t count = raw.size() / frameBytes;
    // V1AVI_BGRX=1: the frames go to the encoder as 32-bit pixels.
    const bool bgrx = std::getenv("V1AVI_BGRX") != nullptr;
    std::vector<uint8_t> wide(bgrx ? static_cast<size_t>(w) * h * 4 : 0);
    video1::Encoder enc(w, h);
    video1::Decoder dec(w, h);
    v1tools::AviVideo avi;
    avi.width = w;
    avi.height = h;
    std::vector<uint8_t> buf(video1::MaxEncodedSize(w, h)), ours;
    double seconds = 0;
    size_t bytes = 0;
    for (size_t i = 0; i < count; ++i) {
        video1::SourceFrame src;
        src.format = video1::PixelFormat::Bgr24;
        src.bits = raw.data() + i * frameBytes + (h - 1) * w * 3;  // bottom row first
        src.stride = -w * 3;
        if (bgrx) {  // as a 32-bit desktop hands the frames over
            for (size_t p = 0; p < static_cast<size_t>(w) * h; ++p)
                std::memcpy(&wide[4 * p], raw.data() + i * frameBytes + 3 * p, 3);
            src.format = video1::PixelFormat::Bgrx32;
            src.bits = wide.data() + static_cast<size_t>(h - 1) * w * 4;
            src.stride = -w * 4;
        }
        bool key = false;
        // Processor time of this thread: on a shared machine the time passed measures the
        // load as much as the encoder.
        const double t0 = ThreadCpuSeconds();
        const size_t n =
            enc.Encode(src, q, keyEvery > 0 && i % keyEvery == 0, buf.data(), buf.size(), &key);
        seconds += ThreadCpuSeconds() - t0;
        if (n == 0)
            return std::fprintf(stderr, "encode failed at frame %zu\n", i), 1;
        avi.frames.emplace_back(buf.begin(), buf.begin() + n);
        avi.keys.push_back(key);
        bytes += n;
        if (argc > 8) {
            if (dec.Decode(buf.data(), n) != video1::DecodeResult::Ok)
                return std::fprintf(stderr, "own frame %zu does not decode\n", i), 1;
            AppendTopDown(dec, false, &ours);
        }
    }
    if (!v1tools::WriteVideo1Avi(argv[7], avi, 25))
        return std::fprintf(stderr, "write failed\n"), 1;
    if (argc > 8) {
        FILE* f = std::fopen(argv[8], "wb");
        if (!f || std::fwrite(ours.data(), 1, ours.size(), f) != ours.size())
            return 1;
        std::fclose(f);
    }
    std::printf("frames %zu bytes/frame %.0f ms/frame %.3f\n", count,
                count ? double(bytes) / count : 0.0, count ? 1000 * seconds / count : 0.0);
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
    const bool rgb555 = EndsWith(argv[3], ".rgb555");
    video1::Decoder dec(avi.width, avi.height);
    std::vector<uint8_t> out;
    int bad = 0;
    for (const auto& f : avi.frames) {
        if (f.empty())
            continue;  // a dropped frame: FFmpeg shows nothing new either
        if (dec.Decode(f.data(), f.size()) != video1::DecodeResult::Ok)
            ++bad;
        AppendTopDown(dec, rgb555, &out);
    }
    FILE* f = std::fopen(argv[3], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size())
        return 1;
    std::fclose(f);
    if (bad)
        std::fprintf(stderr, "%d frames did not decode cleanly\n", bad);
    return bad ? 1 : 0;
}

int Psnr(int argc, char** argv)
{
    if (argc < 6)
        return 2;
    const size_t frameBytes = static_cast<size_t>(std::atoi(argv[2])) * std::atoi(argv[3]) * 3;
    std::vector<uint8_t> a, b;
    if (!ReadFile(argv[4], &a) || !ReadFile(argv[5], &b) || frameBytes == 0 ||
        a.size() != b.size() || a.size() % frameBytes)
        return std::fprintf(stderr, "unequal or unreadable inputs\n"), 1;
    double total = 0, worst = 1e9;
    for (size_t at = 0; at < a.size(); at += frameBytes) {
        double sse = 0;
        for (size_t i = at; i < at + frameBytes; ++i) {
            const int d = a[i] - b[i];
            sse += d * d;
        }
        total += sse;
        const double p = sse ? 10 * std::log10(65025.0 * frameBytes / sse) : 99.0;
        if (p < worst)
            worst = p;
    }
    const double mean = total ? 10 * std::log10(65025.0 * a.size() / total) : 99.0;
    std::printf("psnr %.2f worst %.2f\n", mean, worst);
    return 0;
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
    else if (cmd == "psnr")
        rc = Psnr(argc, argv);
    if (rc == 2)
        std::fprintf(stderr, "usage: see the head of bench/codec/v1avi.cpp\n");
    return rc;
}
