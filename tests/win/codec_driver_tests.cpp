// The Video 1 driver as programs reach it: through Video for Windows (ICInfo, ICOpen,
// ICSendMessage, ICCompress, ICDecompress) with kvmsvc.dll registered in the prefix as
// vidc.MSVC, and through its exported DriverProc for the instance-free messages.
#include "codec_test_frames.h"
#include "video1.h"

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

using codectest::Header;
using codectest::MakeFrame24;
using codectest::Stride;

namespace {

constexpr DWORD kMsvc = mmioFOURCC('M', 'S', 'V', 'C');
constexpr int kW = 320, kH = 240;

struct IcCloser {
    void operator()(HIC hic) const { ICClose(hic); }
};
using HicOwner = std::unique_ptr<std::remove_pointer_t<HIC>, IcCloser>;

HicOwner OpenCodec(UINT mode) { return HicOwner(ICOpen(ICTYPE_VIDEO, kMsvc, mode)); }

// A buffer whose last byte sits just before an inaccessible page, so that reading a
// single byte past it faults instead of passing unnoticed.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : m_size(size)
    {
        size_t pages = (size + 4095) / 4096 + 1;
        m_base =
            static_cast<uint8_t*>(VirtualAlloc(nullptr, pages * 4096, MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
        m_data = m_base + (pages - 1) * 4096 - size;
    }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    uint8_t* data() { return m_data; }
    size_t size() const { return m_size; }

private:
    uint8_t* m_base;
    uint8_t* m_data;
    size_t m_size;
};

struct Coded {
    std::vector<uint8_t> bytes;
    DWORD flags = 0;
};

// Compresses `count` frames of the synthetic sequence, key frames as the caller says.
std::vector<Coded> CompressSequence(HIC hic, int count, int keyEvery, DWORD quality = 7000)
{
    BITMAPINFOHEADER in = Header(kW, kH, 24);
    BITMAPINFOHEADER out = {};
    EXPECT_EQ(ICCompressGetFormat(hic, &in, &out), ICERR_OK);
    EXPECT_EQ(ICCompressBegin(hic, &in, &out), ICERR_OK);
    std::vector<uint8_t> buffer(ICCompressGetSize(hic, &in, &out));
    std::vector<Coded> frames;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> src = MakeFrame24(kW, kH, i);
        Coded coded;
        DWORD ckid = 0;
        DWORD result = ICCompress(hic, (keyEvery && i % keyEvery == 0) ? ICCOMPRESS_KEYFRAME : 0,
                                  &out, buffer.data(), &in, src.data(), &ckid, &coded.flags, i, 0,
                                  quality, nullptr, nullptr);
        EXPECT_EQ(result, DWORD(ICERR_OK)) << "frame " << i;
        EXPECT_LE(out.biSizeImage, buffer.size());
        coded.bytes.assign(buffer.begin(), buffer.begin() + out.biSizeImage);
        frames.push_back(std::move(coded));
    }
    ICCompressEnd(hic);
    return frames;
}

LRESULT DecompressInto(HIC hic, const std::vector<uint8_t>& data, BITMAPINFOHEADER& out, void* bits,
                       DWORD flags = 0)
{
    BITMAPINFOHEADER in = Header(kW, kH, 16, kMsvc);
    in.biSizeImage = static_cast<DWORD>(data.size());
    return ICDecompress(hic, flags, &in, const_cast<uint8_t*>(data.data()), &out, bits);
}

// ---- discovery and identity --------------------------------------------------------

TEST(CodecDriver, IsListedAndIdentifiesItself)
{
    bool listed = false;
    ICINFO info = {};
    for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, &info); ++i) {
        char code[5] = {};
        std::memcpy(code, &info.fccHandler, 4);
        listed |= lstrcmpiA(code, "MSVC") == 0;
    }
    EXPECT_TRUE(listed) << "ICInfo('vidc') does not list MSVC";

    HicOwner hic = OpenCodec(ICMODE_QUERY);
    ASSERT_TRUE(hic);
    ICINFO got = {};
    ASSERT_EQ(ICGetInfo(hic.get(), &got, sizeof got), sizeof got);
    EXPECT_EQ(got.fccType, ICTYPE_VIDEO);
    EXPECT_EQ(got.fccHandler, kMsvc);
    EXPECT_EQ(got.dwFlags, DWORD(VIDCF_QUALITY | VIDCF_TEMPORAL | VIDCF_FASTTEMPORALC));
    EXPECT_STREQ(got.szDescription, L"Microsoft Video 1");
    // Our name, not the platform decoder's: the registry entry must have won.
    EXPECT_STREQ(got.szName, L"Video 1");
}

TEST(CodecDriver, ExportedEntryAnswersWithoutAnInstance)
{
    HMODULE dll = LoadLibraryA("kvmsvc.dll");
    ASSERT_TRUE(dll) << "kvmsvc.dll is not installed in system32";
    using DriverProcFn = LRESULT(WINAPI*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);
    auto proc =
        reinterpret_cast<DriverProcFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DriverProc")));
    ASSERT_TRUE(proc) << "DriverProc is not exported undecorated";

    EXPECT_NE(proc(0, nullptr, DRV_LOAD, 0, 0), 0);
    ICINFO info = {};
    EXPECT_EQ(proc(0, nullptr, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info),
              LRESULT(sizeof info));
    EXPECT_STREQ(info.szDescription, L"Microsoft Video 1");
    EXPECT_EQ(proc(0, nullptr, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info - 1), 0);
    DWORD quality = 0;
    EXPECT_EQ(proc(0, nullptr, ICM_GETDEFAULTQUALITY, reinterpret_cast<LPARAM>(&quality), 0),
              ICERR_OK);
    EXPECT_EQ(quality, 7000u);
    // The bare open (no ICOPEN) yields an id that must not be used as an instance.
    LRESULT bare = proc(0, nullptr, DRV_OPEN, 0, 0);
    EXPECT_NE(bare, 0);
    BITMAPINFOHEADER in = Header(kW, kH, 24);
    EXPECT_EQ(proc(bare, nullptr, ICM_COMPRESS_BEGIN, reinterpret_cast<LPARAM>(&in), 0),
              ICERR_BADHANDLE);
    EXPECT_NE(proc(bare, nullptr, DRV_CLOSE, 0, 0), 0);

    ICOPEN open = {};
    open.dwSize = sizeof open;
    open.fccType = mmioFOURCC('V', 'I', 'D', 'C');  // letter case does not matter
    open.fccHandler = kMsvc;
    open.dwFlags = ICMODE_COMPRESS;
    open.dwError = ICERR_ERROR;
    LRESULT id = proc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open));
    EXPECT_NE(id, 0);
    EXPECT_EQ(open.dwError, DWORD(ICERR_OK));
    EXPECT_EQ(proc(id, nullptr, ICM_COMPRESS_QUERY, reinterpret_cast<LPARAM>(&in), 0), ICERR_OK);
    EXPECT_NE(proc(id, nullptr, DRV_CLOSE, 0, 0), 0);

    open.fccType = mmioFOURCC('a', 'u', 'd', 'c');
    EXPECT_EQ(proc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open)), 0);
    FreeLibrary(dll);
}

TEST(CodecDriver, SimpleQueriesAndUnknownMessages)
{
    HicOwner hic = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    DWORD quality = 0, keyRate = 0;
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 7000u);
    EXPECT_EQ(
        ICSendMessage(hic.get(), ICM_GETDEFAULTQUALITY, reinterpret_cast<DWORD_PTR>(&quality), 0),
        ICERR_OK);
    EXPECT_EQ(quality, 7000u);
    EXPECT_EQ(ICSendMessage(hic.get(), ICM_GETDEFAULTKEYFRAMERATE,
                            reinterpret_cast<DWORD_PTR>(&keyRate), 0),
              ICERR_OK);
    EXPECT_GT(keyRate, 0u);
    EXPECT_TRUE(ICQueryConfigure(hic.get()));
    EXPECT_TRUE(ICQueryAbout(hic.get()));
    EXPECT_EQ(ICSendMessage(hic.get(), ICM_GETQUALITY, 0, 0), LRESULT(ICERR_UNSUPPORTED));
    EXPECT_EQ(ICSendMessage(hic.get(), ICM_DRAW_BEGIN, 0, 0), LRESULT(ICERR_UNSUPPORTED));
    EXPECT_EQ(ICSendMessage(hic.get(), ICM_USER + 500, 0, 0), LRESULT(ICERR_UNSUPPORTED));
}

// ---- settings ----------------------------------------------------------------------

TEST(CodecDriver, StateRoundTripsAndBadStateIsRefused)
{
    HicOwner hic = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    DWORD size = ICGetStateSize(hic.get());
    ASSERT_EQ(size, 2 * sizeof(DWORD));
    std::vector<DWORD> state(2);
    EXPECT_EQ(ICGetState(hic.get(), state.data(), size), DWORD(ICERR_OK));
    EXPECT_EQ(state[1], 7000u);

    state[1] = 4200;
    EXPECT_EQ(ICSetState(hic.get(), state.data(), size), size);
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 4200u);

    // Each bad record is refused and leaves the settings as they were.
    std::vector<DWORD> wrongVersion = {state[0] + 1, 1000};
    EXPECT_EQ(ICSetState(hic.get(), wrongVersion.data(), size), 0u);
    std::vector<DWORD> tooLong = {state[0], 1000, 0};
    EXPECT_EQ(ICSetState(hic.get(), tooLong.data(), size + 4), 0u);
    EXPECT_EQ(ICSetState(hic.get(), state.data(), size - 1), 0u);
    std::vector<DWORD> outOfScale = {state[0], 10001};
    EXPECT_EQ(ICSetState(hic.get(), outOfScale.data(), size), 0u);
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 4200u);

    ICSetState(hic.get(), nullptr, 0);  // no record: back to the defaults
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 7000u);
}

// ---- compression formats -------------------------------------------------------------

TEST(CodecDriver, CompressQueryAcceptsScreenFormatsOfWholeBlocks)
{
    HicOwner hic = OpenCodec(ICMODE_QUERY);
    ASSERT_TRUE(hic);
    for (int bits : {16, 24, 32}) {
        BITMAPINFOHEADER in = Header(kW, kH, bits);
        EXPECT_EQ(ICCompressQuery(hic.get(), &in, nullptr), ICERR_OK) << bits;
    }
    struct {
        BITMAPINFOHEADER bih;
        RGBQUAD colours[256];
    } pal8 = {Header(kW, kH, 8), {}};
    EXPECT_EQ(ICCompressQuery(hic.get(), &pal8, nullptr), ICERR_OK);

    BITMAPINFOHEADER odd = Header(322, 240, 24), short_ = Header(320, 242, 24);
    EXPECT_EQ(ICCompressQuery(hic.get(), &odd, nullptr), ICERR_BADFORMAT);
    EXPECT_EQ(ICCompressQuery(hic.get(), &short_, nullptr), ICERR_BADFORMAT);
    BITMAPINFOHEADER topDown = Header(kW, -kH, 24);
    EXPECT_EQ(ICCompressQuery(hic.get(), &topDown, nullptr), ICERR_BADFORMAT);
    BITMAPINFOHEADER compressed = Header(kW, kH, 16, kMsvc);
    EXPECT_EQ(ICCompressQuery(hic.get(), &compressed, nullptr), ICERR_BADFORMAT);

    BITMAPINFOHEADER in = Header(kW, kH, 24);
    BITMAPINFOHEADER out = Header(kW, kH, 16, kMsvc);
    EXPECT_EQ(ICCompressQuery(hic.get(), &in, &out), ICERR_OK);
    out.biWidth = 160;
    EXPECT_EQ(ICCompressQuery(hic.get(), &in, &out), ICERR_BADFORMAT);
    out = Header(kW, kH, 8, kMsvc);
    EXPECT_EQ(ICCompressQuery(hic.get(), &in, &out), ICERR_BADFORMAT);
}

TEST(CodecDriver, CompressFormatAndWorstCaseSize)
{
    HicOwner hic = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    BITMAPINFOHEADER in = Header(kW, kH, 32);
    EXPECT_EQ(ICCompressGetFormatSize(hic.get(), &in), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER out = {};
    ASSERT_EQ(ICCompressGetFormat(hic.get(), &in, &out), ICERR_OK);
    EXPECT_EQ(out.biSize, sizeof out);
    EXPECT_EQ(out.biWidth, kW);
    EXPECT_EQ(out.biHeight, kH);
    EXPECT_EQ(out.biPlanes, 1);
    EXPECT_EQ(out.biBitCount, 16);
    EXPECT_EQ(out.biCompression, kMsvc);
    EXPECT_EQ(out.biSizeImage, DWORD(kW * kH * 2));
    EXPECT_EQ(ICCompressGetSize(hic.get(), &in, &out), DWORD(18 * (kW / 4) * (kH / 4) + 2));
    BITMAPINFOHEADER odd = Header(318, 240, 24);
    EXPECT_EQ(ICSendMessage(hic.get(), ICM_COMPRESS_GET_FORMAT, reinterpret_cast<DWORD_PTR>(&odd),
                            reinterpret_cast<DWORD_PTR>(&out)),
              LRESULT(ICERR_BADFORMAT));
    EXPECT_EQ(ICCompressBegin(hic.get(), &odd, &out), ICERR_BADFORMAT);
}

// ---- compression and decompression ----------------------------------------------------

TEST(CodecDriver, SequenceFollowsTheKeyFrameScheduleAndDecodesFaithfully)
{
    HicOwner compressor = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(compressor);
    std::vector<Coded> frames = CompressSequence(compressor.get(), 12, 5);
    ASSERT_EQ(frames.size(), 12u);

    HicOwner decompressor = OpenCodec(ICMODE_DECOMPRESS);
    ASSERT_TRUE(decompressor);
    BITMAPINFOHEADER in = Header(kW, kH, 16, kMsvc);
    BITMAPINFOHEADER out = Header(kW, kH, 24);
    ASSERT_EQ(ICDecompressQuery(decompressor.get(), &in, &out), ICERR_OK);
    ASSERT_EQ(ICDecompressBegin(decompressor.get(), &in, &out), ICERR_OK);
    video1::Decoder reference(kW, kH);
    std::vector<uint8_t> ours(Stride(kW, 24) * kH), theirs(ours.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        const bool scheduled = i % 5 == 0;
        EXPECT_EQ(frames[i].flags == AVIIF_KEYFRAME, scheduled) << "frame " << i;
        if (!scheduled) {
            EXPECT_LT(frames[i].bytes.size(), frames[0].bytes.size() / 2)
                << "delta frame " << i << " skips little";
        }
        ASSERT_EQ(DecompressInto(decompressor.get(), frames[i].bytes, out, ours.data()), ICERR_OK);
        ASSERT_EQ(reference.Decode(frames[i].bytes.data(), frames[i].bytes.size()),
                  video1::DecodeResult::Ok);
        reference.CopyTo(theirs.data(), static_cast<int>(Stride(kW, 24)), 24);
        EXPECT_EQ(ours, theirs) << "frame " << i;
        EXPECT_GT(codectest::Psnr(ours, MakeFrame24(kW, kH, int(i))), 30.0) << "frame " << i;
    }
    ICDecompressEnd(decompressor.get());
}

TEST(CodecDriver, DecompressesToEveryDepthAndTopDown)
{
    HicOwner compressor = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(compressor);
    std::vector<Coded> frames = CompressSequence(compressor.get(), 1, 1);
    video1::Decoder reference(kW, kH);
    reference.Decode(frames[0].bytes.data(), frames[0].bytes.size());

    HicOwner decompressor = OpenCodec(ICMODE_DECOMPRESS);
    ASSERT_TRUE(decompressor);
    BITMAPINFOHEADER in = Header(kW, kH, 16, kMsvc);
    BITMAPINFOHEADER suggested = {};
    ASSERT_EQ(ICDecompressGetFormat(decompressor.get(), &in, &suggested), ICERR_OK);
    EXPECT_EQ(suggested.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(suggested.biWidth, kW);
    EXPECT_EQ(suggested.biHeight, kH);
    for (int bits : {16, 24, 32}) {
        for (int sign : {1, -1}) {
            BITMAPINFOHEADER out = Header(kW, sign * kH, bits);
            std::vector<uint8_t> ours(Stride(kW, bits) * kH), theirs(ours.size());
            ASSERT_EQ(DecompressInto(decompressor.get(), frames[0].bytes, out, ours.data()),
                      ICERR_OK)
                << bits << " bits, height " << out.biHeight;
            const int stride = static_cast<int>(Stride(kW, bits));
            if (sign > 0)
                reference.CopyTo(theirs.data(), stride, bits);
            else
                reference.CopyTo(theirs.data() + stride * (kH - 1), -stride, bits);
            EXPECT_EQ(ours, theirs) << bits << " bits, height " << out.biHeight;
        }
    }
    BITMAPINFOHEADER bad = Header(kW, kH, 8);
    EXPECT_EQ(ICDecompressQuery(decompressor.get(), &in, &bad), ICERR_BADFORMAT);
    bad = Header(kW / 2, kH, 24);
    EXPECT_EQ(ICDecompressQuery(decompressor.get(), &in, &bad), ICERR_BADFORMAT);
    for (DWORD alias : {mmioFOURCC('m', 's', 'v', 'c'), mmioFOURCC('C', 'R', 'A', 'M'),
                        mmioFOURCC('c', 'r', 'a', 'm'), mmioFOURCC('W', 'H', 'A', 'M')}) {
        BITMAPINFOHEADER named = Header(kW, kH, 16, alias);
        EXPECT_EQ(ICDecompressQuery(decompressor.get(), &named, nullptr), ICERR_OK);
    }
    BITMAPINFOHEADER eightBit = Header(kW, kH, 8, kMsvc);
    EXPECT_EQ(ICDecompressQuery(decompressor.get(), &eightBit, nullptr), ICERR_BADFORMAT);
}

TEST(CodecDriver, CompressesEveryInputDepth)
{
    HicOwner hic = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    std::vector<uint8_t> src24 = MakeFrame24(kW, kH, 3);
    // The same picture at 16 and 32 bits, and at 8 bits through a grey palette.
    std::vector<uint8_t> src16(Stride(kW, 16) * kH), src32(Stride(kW, 32) * kH),
        src8(Stride(kW, 8) * kH);
    std::vector<uint8_t> grey24(src24.size());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = &src24[y * Stride(kW, 24) + x * 3];
            uint16_t w =
                static_cast<uint16_t>(((p[2] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[0] >> 3));
            std::memcpy(&src16[y * Stride(kW, 16) + x * 2], &w, 2);
            std::memcpy(&src32[y * Stride(kW, 32) + x * 4], p, 3);
            uint8_t level = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
            src8[y * Stride(kW, 8) + x] = level;
            std::memset(&grey24[y * Stride(kW, 24) + x * 3], level, 3);
        }
    struct {
        BITMAPINFOHEADER bih;
        RGBQUAD colours[256];
    } pal8 = {Header(kW, kH, 8), {}};
    for (int i = 0; i < 256; ++i)
        pal8.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};

    struct Case {
        BITMAPINFOHEADER* header;
        uint8_t* bits;
        const std::vector<uint8_t>* expected;
    };
    BITMAPINFOHEADER h16 = Header(kW, kH, 16), h24 = Header(kW, kH, 24), h32 = Header(kW, kH, 32);
    for (Case c : {Case{&h16, src16.data(), &src24}, Case{&h24, src24.data(), &src24},
                   Case{&h32, src32.data(), &src24}, Case{&pal8.bih, src8.data(), &grey24}}) {
        BITMAPINFOHEADER out = {};
        ASSERT_EQ(ICCompressGetFormat(hic.get(), c.header, &out), ICERR_OK);
        ASSERT_EQ(ICCompressBegin(hic.get(), c.header, &out), ICERR_OK);
        std::vector<uint8_t> coded(ICCompressGetSize(hic.get(), c.header, &out));
        DWORD flags = 0, ckid = 0;
        ASSERT_EQ(ICCompress(hic.get(), ICCOMPRESS_KEYFRAME, &out, coded.data(), c.header, c.bits,
                             &ckid, &flags, 0, 0, 10000, nullptr, nullptr),
                  DWORD(ICERR_OK));
        EXPECT_EQ(flags, DWORD(AVIIF_KEYFRAME));
        ICCompressEnd(hic.get());
        video1::Decoder decoder(kW, kH);
        ASSERT_EQ(decoder.Decode(coded.data(), out.biSizeImage), video1::DecodeResult::Ok);
        std::vector<uint8_t> decoded(src24.size());
        decoder.CopyTo(decoded.data(), static_cast<int>(Stride(kW, 24)), 24);
        EXPECT_GT(codectest::Psnr(decoded, *c.expected), 30.0) << c.header->biBitCount << " bits";
    }
}

TEST(CodecDriver, DefaultQualityComesFromTheSettings)
{
    // Quality -1 means "the codec's default": coding at 0 and at -1 with a default of 0
    // must give the same bytes, and differ from the top quality.
    HicOwner hic = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    DWORD state[2] = {};
    ICGetState(hic.get(), state, sizeof state);
    state[1] = 0;
    ASSERT_EQ(ICSetState(hic.get(), state, sizeof state), sizeof state);
    std::vector<Coded> byDefault = CompressSequence(hic.get(), 1, 1, DWORD(ICQUALITY_DEFAULT));
    std::vector<Coded> lowest = CompressSequence(hic.get(), 1, 1, 0);
    std::vector<Coded> best = CompressSequence(hic.get(), 1, 1, 10000);
    EXPECT_EQ(byDefault[0].bytes, lowest[0].bytes);
    EXPECT_NE(best[0].bytes, lowest[0].bytes);
}

TEST(CodecDriver, HurryUpAndEmptyFramesKeepThePictureCurrent)
{
    HicOwner compressor = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(compressor);
    std::vector<Coded> frames = CompressSequence(compressor.get(), 3, 0);

    HicOwner hurried = OpenCodec(ICMODE_DECOMPRESS), steady = OpenCodec(ICMODE_DECOMPRESS);
    ASSERT_TRUE(hurried && steady);
    BITMAPINFOHEADER out = Header(kW, kH, 24);
    std::vector<uint8_t> a(Stride(kW, 24) * kH, 0xAB), b(a.size());
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(
            DecompressInto(hurried.get(), frames[i].bytes, out, a.data(), ICDECOMPRESS_HURRYUP),
            ICERR_OK);
        ASSERT_EQ(DecompressInto(steady.get(), frames[i].bytes, out, b.data()), ICERR_OK);
    }
    EXPECT_EQ(a, std::vector<uint8_t>(a.size(), 0xAB)) << "a hurried frame was drawn";
    ASSERT_EQ(DecompressInto(hurried.get(), frames[2].bytes, out, a.data()), ICERR_OK);
    ASSERT_EQ(DecompressInto(steady.get(), frames[2].bytes, out, b.data()), ICERR_OK);
    EXPECT_EQ(a, b);

    // An empty chunk (a dropped frame) shows the current picture again.
    std::vector<uint8_t> repeated(a.size(), 0xAB);
    ASSERT_EQ(DecompressInto(hurried.get(), {}, out, repeated.data()), ICERR_OK);
    EXPECT_EQ(repeated, b);
}

TEST(CodecDriver, DamagedFramesFailWithoutReadingPastTheirSize)
{
    HicOwner compressor = OpenCodec(ICMODE_COMPRESS);
    ASSERT_TRUE(compressor);
    std::vector<Coded> frames = CompressSequence(compressor.get(), 1, 1);
    const std::vector<uint8_t>& key = frames[0].bytes;

    HicOwner hic = OpenCodec(ICMODE_DECOMPRESS);
    ASSERT_TRUE(hic);
    BITMAPINFOHEADER in = Header(kW, kH, 16, kMsvc);
    BITMAPINFOHEADER out = Header(kW, kH, 24);
    std::vector<uint8_t> picture(Stride(kW, 24) * kH);

    // The whole frame, ending right at a guard page: decodes.
    GuardedBuffer whole(key.size());
    std::memcpy(whole.data(), key.data(), key.size());
    in.biSizeImage = static_cast<DWORD>(key.size());
    EXPECT_EQ(ICDecompress(hic.get(), 0, &in, whole.data(), &out, picture.data()), DWORD(ICERR_OK));

    // Cut at several points (inside a block's colours, between blocks, before the end
    // code is optional): an error each time, and no read beyond the given bytes.
    for (size_t cut : {size_t(1), size_t(2), size_t(5), key.size() / 3, key.size() - 3}) {
        GuardedBuffer truncated(cut);
        std::memcpy(truncated.data(), key.data(), cut);
        in.biSizeImage = static_cast<DWORD>(cut);
        EXPECT_LT(LONG(ICDecompress(hic.get(), 0, &in, truncated.data(), &out, picture.data())), 0)
            << "cut at " << cut;
    }

    // A zero skip count is not a frame any encoder writes.
    std::vector<uint8_t> corrupt = {0x00, 0x84, 0x00, 0x00};
    in.biSizeImage = static_cast<DWORD>(corrupt.size());
    EXPECT_LT(LONG(ICDecompress(hic.get(), 0, &in, corrupt.data(), &out, picture.data())), 0);

    // The next good frame decodes again.
    in.biSizeImage = static_cast<DWORD>(key.size());
    EXPECT_EQ(ICDecompress(hic.get(), 0, &in, whole.data(), &out, picture.data()), DWORD(ICERR_OK));
}

TEST(CodecDriver, OutputTooSmallForTheFrameIsRefused)
{
    HicOwner hic = OpenCodec(ICMODE_DECOMPRESS);
    ASSERT_TRUE(hic);
    BITMAPINFOHEADER in = Header(kW, kH, 16, kMsvc);
    BITMAPINFOHEADER out = Header(kW, kH, 24);
    out.biSizeImage = static_cast<DWORD>(Stride(kW, 24) * kH - 1);
    EXPECT_EQ(ICDecompressQuery(hic.get(), &in, &out), ICERR_BADFORMAT);
    EXPECT_EQ(ICDecompressBegin(hic.get(), &in, &out), ICERR_BADFORMAT);
}

}  // namespace
