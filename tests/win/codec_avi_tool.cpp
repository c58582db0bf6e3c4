// Test helper for the Video 1 driver's movie checks, run under Wine by codec_avi_check.sh:
//   codec_avi_tool write OUT.avi SOURCE.bgr24 [FRAMES]
//       writes FRAMES (100) synthetic 320x240 frames at 25 fps through AVIFile's compressed
//       stream with the installed MSVC compressor (key frame every 25, quality 7000), and
//       the source frames as top-down bgr24 for comparison;
//   codec_avi_tool decode IN.avi OUT.bgr24
//       reads every video frame with AVIStreamRead and decompresses it with ICDecompress of
//       the installed MSVC driver (ours, checked by name) to top-down bgr24.
// Prints one line of figures; exits non-zero with a message on any failure.
#include "codec_test_frames.h"

#include <windows.h>
#include <vfw.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr DWORD kMsvc = mmioFOURCC('M', 'S', 'V', 'C');

struct FileReleaser {
    void operator()(PAVIFILE file) const { AVIFileRelease(file); }
};
struct StreamReleaser {
    void operator()(PAVISTREAM stream) const { AVIStreamRelease(stream); }
};
struct IcCloser {
    void operator()(HIC hic) const { ICClose(hic); }
};
using FileOwner = std::unique_ptr<std::remove_pointer_t<PAVIFILE>, FileReleaser>;
using StreamOwner = std::unique_ptr<std::remove_pointer_t<PAVISTREAM>, StreamReleaser>;
using HicOwner = std::unique_ptr<std::remove_pointer_t<HIC>, IcCloser>;

struct AviLibrary {
    AviLibrary() { AVIFileInit(); }
    ~AviLibrary() { AVIFileExit(); }
};

int Fail(const char* what, long code = 0)
{
    std::fprintf(stderr, "codec_avi_tool: %s (0x%08lx)\n", what, static_cast<unsigned long>(code));
    return 1;
}

// Appends a bottom-up 24-bit picture to `out` as top-down rows, ffmpeg's raw layout.
void AppendTopDown(std::FILE* out, const uint8_t* bits, int width, int height)
{
    const size_t stride = codectest::Stride(width, 24);
    for (int y = height - 1; y >= 0; --y)
        std::fwrite(bits + y * stride, 1, static_cast<size_t>(width) * 3, out);
}

int Write(const char* aviPath, const char* sourcePath, int frames)
{
    const int width = 320, height = 240;
    std::FILE* source = std::fopen(sourcePath, "wb");
    if (!source)
        return Fail("cannot create the source file");
    int result = 0;
    {
        FileOwner file;
        PAVIFILE rawFile = nullptr;
        HRESULT hr = AVIFileOpenA(&rawFile, aviPath, OF_CREATE | OF_WRITE, nullptr);
        file.reset(rawFile);
        if (hr != AVIERR_OK)
            return std::fclose(source), Fail("AVIFileOpen", hr);

        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.fccHandler = kMsvc;  // Wine leaves strh.fccHandler 0 unless told
        info.dwScale = 1;
        info.dwRate = 25;
        info.dwSuggestedBufferSize = width * height * 3;
        SetRect(&info.rcFrame, 0, 0, width, height);
        PAVISTREAM rawStream = nullptr;
        hr = AVIFileCreateStreamA(file.get(), &rawStream, &info);
        StreamOwner stream(rawStream);
        if (hr != AVIERR_OK)
            return std::fclose(source), Fail("AVIFileCreateStream", hr);

        AVICOMPRESSOPTIONS options = {};
        options.fccType = streamtypeVIDEO;
        options.fccHandler = kMsvc;
        options.dwKeyFrameEvery = 25;
        options.dwQuality = 7000;
        options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
        PAVISTREAM rawCompressed = nullptr;
        hr = AVIMakeCompressedStream(&rawCompressed, stream.get(), &options, nullptr);
        StreamOwner compressed(rawCompressed);
        if (hr != AVIERR_OK)
            return std::fclose(source), Fail("AVIMakeCompressedStream", hr);

        BITMAPINFOHEADER format = codectest::Header(width, height, 24);
        hr = AVIStreamSetFormat(compressed.get(), 0, &format, sizeof format);
        if (hr != AVIERR_OK)
            return std::fclose(source), Fail("AVIStreamSetFormat", hr);

        for (int i = 0; i < frames && result == 0; ++i) {
            std::vector<uint8_t> bits = codectest::MakeFrame24(width, height, i);
            hr = AVIStreamWrite(compressed.get(), i, 1, bits.data(), static_cast<LONG>(bits.size()),
                                0, nullptr, nullptr);
            if (hr != AVIERR_OK)
                result = Fail("AVIStreamWrite", hr);
            AppendTopDown(source, bits.data(), width, height);
        }
    }  // the file's header and index are written when it is released
    std::fclose(source);
    if (result == 0)
        std::printf("wrote %d frames\n", frames);
    return result;
}

int Decode(const char* aviPath, const char* outPath)
{
    PAVIFILE rawFile = nullptr;
    HRESULT hr = AVIFileOpenA(&rawFile, aviPath, OF_READ | OF_SHARE_DENY_WRITE, nullptr);
    FileOwner file(rawFile);
    if (hr != AVIERR_OK)
        return Fail("AVIFileOpen", hr);
    PAVISTREAM rawStream = nullptr;
    hr = AVIFileGetStream(file.get(), &rawStream, streamtypeVIDEO, 0);
    StreamOwner stream(rawStream);
    if (hr != AVIERR_OK)
        return Fail("AVIFileGetStream", hr);

    LONG formatSize = 0;
    AVIStreamReadFormat(stream.get(), 0, nullptr, &formatSize);
    std::vector<uint8_t> formatBytes(formatSize > 40 ? formatSize : 40);
    hr = AVIStreamReadFormat(stream.get(), 0, formatBytes.data(), &formatSize);
    if (hr != AVIERR_OK)
        return Fail("AVIStreamReadFormat", hr);
    BITMAPINFOHEADER in;
    std::memcpy(&in, formatBytes.data(), sizeof in);

    // Open by our registered handler, whatever name the file uses: the point is to
    // decode with our driver, not with whichever one the platform would pick.
    HicOwner hic(ICOpen(ICTYPE_VIDEO, kMsvc, ICMODE_DECOMPRESS));
    if (!hic)
        return Fail("ICOpen");
    ICINFO icinfo = {};
    ICGetInfo(hic.get(), &icinfo, sizeof icinfo);
    if (lstrcmpW(icinfo.szName, L"Video 1") != 0)
        return Fail("the MSVC decompressor is not ours");

    const int width = in.biWidth, height = in.biHeight;
    BITMAPINFOHEADER out = codectest::Header(width, height, 24);
    LRESULT lr = ICDecompressBegin(hic.get(), &in, &out);
    if (lr != ICERR_OK)
        return Fail("ICDecompressBegin", lr);

    std::FILE* raw = std::fopen(outPath, "wb");
    if (!raw)
        return Fail("cannot create the output file");
    std::vector<uint8_t> picture(codectest::Stride(width, 24) * height);
    std::vector<uint8_t> chunk;
    const LONG start = AVIStreamStart(stream.get()), length = AVIStreamLength(stream.get());
    int result = 0, keys = 0;
    for (LONG pos = start; pos < start + length && result == 0; ++pos) {
        LONG bytes = 0, samples = 0;
        AVIStreamRead(stream.get(), pos, 1, nullptr, 0, &bytes, &samples);
        chunk.assign(bytes > 0 ? bytes : 1, 0);
        hr = AVIStreamRead(stream.get(), pos, 1, chunk.data(), bytes, &bytes, &samples);
        if (hr != AVIERR_OK) {
            result = Fail("AVIStreamRead", hr);
            break;
        }
        keys += AVIStreamIsKeyFrame(stream.get(), pos) ? 1 : 0;
        in.biSizeImage = static_cast<DWORD>(bytes);
        DWORD dr = ICDecompress(hic.get(), 0, &in, chunk.data(), &out, picture.data());
        if (dr != ICERR_OK)
            result = Fail("ICDecompress", static_cast<long>(dr));
        AppendTopDown(raw, picture.data(), width, height);
    }
    ICDecompressEnd(hic.get());
    std::fclose(raw);
    if (result == 0)
        std::printf("decoded %ld frames %dx%d, %d key frames\n", static_cast<long>(length), width,
                    height, keys);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    AviLibrary library;
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc >= 4)
        return Write(argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 100);
    if (command == "decode" && argc == 4)
        return Decode(argv[2], argv[3]);
    std::fprintf(
        stderr,
        "usage: codec_avi_tool write OUT.avi SOURCE.bgr24 [FRAMES] | decode IN.avi OUT.bgr24\n");
    return 2;
}
