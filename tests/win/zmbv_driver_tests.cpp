// The ZMBV driver as programs reach it through Video for Windows: kvzmbv.dll's
// DriverProc installed with ICInstall, then ICOpen, ICCompress and ICDecompress, with
// frames compared pixel for pixel (the codec is lossless) in every output depth.
#include "codec_test_frames.h"

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
#include <vector>

using codectest::Header;
using codectest::MakeFrame24;
using codectest::Stride;

namespace {

constexpr DWORD kZmbv = mmioFOURCC('Z', 'M', 'B', 'V');
constexpr int kW = 318, kH = 200;  // rows of 24-bit pixels padded to whole DWORDs

struct IcCloser {
    void operator()(HIC hic) const { ICClose(hic); }
};
using HicOwner = std::unique_ptr<std::remove_pointer_t<HIC>, IcCloser>;

class ZmbvDriver : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HMODULE dll = LoadLibraryA("kvzmbv.dll");
        ASSERT_TRUE(dll) << "kvzmbv.dll is not beside the test";
        FARPROC proc = GetProcAddress(dll, "DriverProc");
        ASSERT_TRUE(proc) << "DriverProc is not exported undecorated";
        ASSERT_TRUE(ICInstall(ICTYPE_VIDEO, kZmbv, reinterpret_cast<LPARAM>(proc), nullptr,
                              ICINSTALL_FUNCTION));
    }
    static HicOwner Open(UINT mode) { return HicOwner(ICOpen(ICTYPE_VIDEO, kZmbv, mode)); }
};

struct Coded {
    std::vector<uint8_t> bytes;
    DWORD flags = 0;
};

TEST_F(ZmbvDriver, IdentifiesItselfPlainly)
{
    HicOwner hic = Open(ICMODE_QUERY);
    ASSERT_TRUE(hic);
    ICINFO info = {};
    ASSERT_EQ(ICGetInfo(hic.get(), &info, sizeof info), sizeof info);
    EXPECT_EQ(info.fccHandler, kZmbv);
    EXPECT_STREQ(info.szDescription, L"Korvane Lossless Screen (ZMBV)");
}

TEST_F(ZmbvDriver, CompressesLosslesslyWithKeyFramesWhereAskedAndDecompressesToEveryDepth)
{
    HicOwner hic = Open(ICMODE_COMPRESS);
    ASSERT_TRUE(hic);
    BITMAPINFOHEADER in = Header(kW, kH, 24);
    BITMAPINFOHEADER out = {};
    ASSERT_EQ(ICCompressGetFormat(hic.get(), &in, &out), ICERR_OK);
    EXPECT_EQ(out.biCompression, kZmbv);
    ASSERT_EQ(ICCompressBegin(hic.get(), &in, &out), ICERR_OK);
    std::vector<uint8_t> buffer(ICCompressGetSize(hic.get(), &in, &out));
    std::vector<Coded> frames;
    const int count = 7, keyEvery = 3;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> src = MakeFrame24(kW, kH, i);
        Coded coded;
        DWORD ckid = 0;
        // The quality is ignored (lossless): a low one must not lose anything.
        ASSERT_EQ(
            ICCompress(hic.get(), i % keyEvery == 0 ? ICCOMPRESS_KEYFRAME : 0, &out, buffer.data(),
                       &in, src.data(), &ckid, &coded.flags, i, 0, 100, nullptr, nullptr),
            DWORD(ICERR_OK));
        EXPECT_EQ((coded.flags & AVIIF_KEYFRAME) != 0, i % keyEvery == 0) << "frame " << i;
        ASSERT_LE(out.biSizeImage, buffer.size());
        coded.bytes.assign(buffer.begin(), buffer.begin() + out.biSizeImage);
        frames.push_back(std::move(coded));
    }
    ICCompressEnd(hic.get());

    HicOwner dec = Open(ICMODE_DECOMPRESS);
    ASSERT_TRUE(dec);
    for (int bits : {24, 32, 16}) {
        SCOPED_TRACE(bits);
        BITMAPINFOHEADER cin = Header(kW, kH, 24, kZmbv);
        BITMAPINFOHEADER dout = Header(kW, kH, bits);
        ASSERT_EQ(ICDecompressBegin(dec.get(), &cin, &dout), ICERR_OK);
        std::vector<uint8_t> pixels(dout.biSizeImage);
        for (int i = 0; i < count; ++i) {
            cin.biSizeImage = static_cast<DWORD>(frames[i].bytes.size());
            ASSERT_EQ(
                ICDecompress(dec.get(), 0, &cin, frames[i].bytes.data(), &dout, pixels.data()),
                DWORD(ICERR_OK))
                << "frame " << i;
            const std::vector<uint8_t> src = MakeFrame24(kW, kH, i);
            int wrong = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const uint8_t* s = &src[y * Stride(kW, 24) + x * 3];
                    const uint8_t* d = &pixels[y * Stride(kW, bits) + x * (bits / 8)];
                    if (bits == 16) {
                        const int v = d[0] | (d[1] << 8);
                        wrong += v != (((s[2] >> 3) << 10) | ((s[1] >> 3) << 5) | (s[0] >> 3));
                    } else {
                        wrong += d[0] != s[0] || d[1] != s[1] || d[2] != s[2];
                    }
                }
            EXPECT_EQ(wrong, 0) << "frame " << i;
        }
        ICDecompressEnd(dec.get());
    }

    // An inter frame without its key frame, and a key frame cut short, are errors
    // that leave the caller's picture alone.
    BITMAPINFOHEADER cin = Header(kW, kH, 24, kZmbv);
    BITMAPINFOHEADER dout = Header(kW, kH, 32);
    ASSERT_EQ(ICDecompressBegin(dec.get(), &cin, &dout), ICERR_OK);
    std::vector<uint8_t> pixels(dout.biSizeImage, 0xAB);
    cin.biSizeImage = static_cast<DWORD>(frames[1].bytes.size());
    EXPECT_EQ(ICDecompress(dec.get(), 0, &cin, frames[1].bytes.data(), &dout, pixels.data()),
              DWORD(ICERR_ERROR));
    cin.biSizeImage = static_cast<DWORD>(frames[0].bytes.size() / 3);
    EXPECT_EQ(ICDecompress(dec.get(), 0, &cin, frames[0].bytes.data(), &dout, pixels.data()),
              DWORD(ICERR_ERROR));
    EXPECT_EQ(pixels, std::vector<uint8_t>(dout.biSizeImage, 0xAB));
    ICDecompressEnd(dec.get());
}

}  // namespace
