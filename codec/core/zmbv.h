// ZMBV (lossless screen video) encoder and decoder, with no Windows dependency. The ZMBV
// driver DLL wraps these two classes; the native build tests and fuzzes them directly.
// Neither class is thread-safe: one instance per stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zmbv {

// Pixel layouts of an uncompressed, bottom-up DIB as the encoder may receive it.
enum class PixelFormat { Pal8, Rgb555, Rgb565, Bgr24, Bgrx32 };

// The pixel format a stream stores, with its number in the key-frame header.
enum class StreamFormat : uint8_t { Pal8 = 4, Rgb555 = 5, Rgb565 = 6, Bgrx32 = 8 };

StreamFormat StreamFormatFor(PixelFormat format);  // 24-bit input is stored as 32
int BytesPerPixel(StreamFormat format);

struct SourceFrame {
    const uint8_t* bits = nullptr;  // first byte of DIB row 0 (the bottom row)
    int stride = 0;                 // bytes from one DIB row to the next
    PixelFormat format = PixelFormat::Bgrx32;
    const uint32_t* palette = nullptr;  // 256 RGBQUADs, only for Pal8
};

constexpr int kBlockSize = 16;  // the block width and height the encoder writes
constexpr int kMaxVector = 63;  // vectors run from -64 to 63 on each axis
constexpr int kMaxDimension = 16384;

// Default zlib levels, chosen by measurement on the screen corpus (bench/README.md). A
// key frame is a whole picture: at 6 it took twice as long as at 3 for a third less size,
// a spike every key-frame interval in a live recording.
constexpr int kDefaultKeyLevel = 3;
constexpr int kDefaultInterLevel = 6;

// Bytes one coded frame can take at most, header included.
size_t MaxEncodedSize(int width, int height, StreamFormat format);

struct EncoderLevels {
    int key = kDefaultKeyLevel;
    int inter = kDefaultInterLevel;
};

class Encoder {
public:
    Encoder(int width, int height, PixelFormat format, EncoderLevels levels = {});
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    int width() const;
    int height() const;
    PixelFormat format() const;

    // Codes one frame of the encoder's format into out (capacity at least MaxEncodedSize).
    // A key frame is written when forceKey is set or there is no previous frame. Returns
    // the bytes written (0 on failure: wrong format, short buffer; the next frame is then
    // a key frame) and sets *isKey.
    size_t Encode(const SourceFrame& src, bool forceKey, uint8_t* out, size_t outCapacity,
                  bool* isKey);

    // Forgets the previous frame, so the next one is a key frame.
    void Reset();

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

enum class DecodeResult { Ok, Truncated, Corrupt, Unsupported, NeedKeyFrame };

class Decoder {
public:
    Decoder(int width, int height);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    int width() const;
    int height() const;

    // Decodes one frame. Reads at most size bytes and never writes outside its own
    // buffers whatever they hold. A frame that fails leaves the last good picture, and
    // every inter frame after it answers NeedKeyFrame until the next key frame. An
    // empty frame (a dropped frame in an AVI file) leaves the picture as it is.
    DecodeResult Decode(const uint8_t* data, size_t size);

    bool HasPicture() const;
    StreamFormat format() const;  // of the last key frame
    // The picture in the stream's format, top row first, width*BytesPerPixel per row.
    const uint8_t* picture() const;
    // 256 entries 0x00RRGGBB (for Pal8 streams).
    const uint32_t* palette() const;

    // Writes the picture as a bottom-up DIB of 16 (RGB555), 24 or 32 bits per pixel
    // (a negative stride writes it top-down). Returns false for any other depth or when
    // there is no picture yet.
    bool CopyTo(uint8_t* bits, int stride, int bitsPerPixel) const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zmbv
