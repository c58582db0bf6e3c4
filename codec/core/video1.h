// Microsoft Video 1 (16-bit) encoder and decoder, with no Windows dependency.
// The codec driver DLL is a thin wrapper around these two classes; the native build
// tests and fuzzes them directly. Neither class is thread-safe: one instance per stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace video1 {

// Pixel layouts of an uncompressed, bottom-up DIB as the encoder may receive it.
enum class PixelFormat { Rgb555, Bgr24, Bgrx32, Pal8 };

struct SourceFrame {
    const uint8_t* bits = nullptr;  // first byte of DIB row 0 (the bottom row)
    int stride = 0;                 // bytes from one DIB row to the next
    PixelFormat format = PixelFormat::Bgrx32;
    const uint32_t* palette = nullptr;  // 256 RGBQUADs, only for Pal8
};

// Video 1 codes whole 4x4 blocks only; other sizes are refused.
bool IsCodableSize(int width, int height);

// Worst case of one coded frame: every block with eight colours, plus the end code.
size_t MaxEncodedSize(int width, int height);

constexpr int kDefaultQuality = 7000;  // on the 0..10000 scale of Video for Windows

class Encoder {
public:
    Encoder(int width, int height);
    int width() const;
    int height() const;

    // Codes one frame into out (capacity at least MaxEncodedSize). quality is 0..10000.
    // A key frame (no skip codes) is written when forceKey is set or there is no
    // previous frame; otherwise unchanged blocks are skipped against the encoder's own
    // reconstruction of the previous frame. Returns the bytes written and sets *isKey.
    size_t Encode(const SourceFrame& src, int quality, bool forceKey, uint8_t* out,
                  size_t outCapacity, bool* isKey);

    // Forgets the previous frame, so the next one is a key frame.
    void Reset();

private:
    struct Impl;
    std::vector<uint16_t> m_recon;  // reconstruction, bottom-up RGB555
    // The last frame converted to RGB555, four rows to a strip, and the strip of this frame
    // being coded: once coded it takes the old strip's place, by a swap instead of a copy.
    std::vector<std::vector<uint16_t>> m_sourceStrips;
    std::vector<uint16_t> m_strip;
    // The last frame's source pixels, rows packed, when its layout allows comparing rows
    // before converting them (not for Pal8, whose palette may change).
    std::vector<uint8_t> m_prevRaw;
    PixelFormat m_prevRawFormat = PixelFormat::Bgrx32;
    bool m_havePrevRaw = false;
    int m_width;
    int m_height;
    bool m_havePrevious = false;
    friend struct Impl;
};

enum class DecodeResult { Ok, Truncated, Corrupt };

class Decoder {
public:
    Decoder(int width, int height);
    int width() const;
    int height() const;

    // Applies one coded frame to the picture. Reads at most size bytes; a truncated
    // or corrupt frame leaves the blocks decoded so far and reports the error. An empty
    // frame (size 0: a dropped frame in an AVI file) leaves the picture as it is.
    DecodeResult Decode(const uint8_t* data, size_t size);

    // The current picture, bottom-up RGB555, width*height pixels.
    const uint16_t* pixels() const;

    // Writes the picture as a bottom-up DIB of 16 (555), 24 or 32 bits per pixel.
    // Returns false for any other depth.
    bool CopyTo(uint8_t* bits, int stride, int bitsPerPixel) const;

private:
    std::vector<uint16_t> m_picture;
    int m_width;
    int m_height;
};

}  // namespace video1
