// The ZMBV decoder. Every length and offset in a frame is checked against the picture
// and the inflated bytes before use: frames come from files anyone may have written.
#include <algorithm>
#include <cstring>
#include <new>

#include <zlib.h>

#include "zmbv_internal.h"

namespace zmbv {

using detail::Plane;
using detail::Vector;

namespace {

constexpr size_t kPaletteBytes = 768;

bool IsKnownFormat(uint8_t f) { return f == 4 || f == 5 || f == 6 || f == 8; }

uint16_t To555(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

}  // namespace

struct Decoder::Impl {
    int width;
    int height;
    bool sizeOk;
    StreamFormat format = StreamFormat::Bgrx32;
    int blockWidth = 0;
    int blockHeight = 0;
    bool compressed = true;
    bool valid = false;  // a key frame and every frame since decoded
    bool havePicture = false;
    Plane picture, work;
    uint8_t rgbPalette[kPaletteBytes] = {};
    uint32_t palette[256] = {};
    std::vector<uint8_t> raw;
    z_stream zs = {};
    bool zsReady = false;

    Impl(int w, int h) : width(w), height(h)
    {
        sizeOk = w > 0 && h > 0 && w <= kMaxDimension && h <= kMaxDimension;
        zsReady = inflateInit(&zs) == Z_OK;
    }
    ~Impl()
    {
        if (zsReady)
            inflateEnd(&zs);
    }

    // The frame's payload as plain bytes in raw; false when the stream is damaged or
    // would inflate past `limit` bytes.
    bool Unpack(const uint8_t* data, size_t size, bool deflated, size_t limit, size_t* got)
    {
        if (raw.size() < limit)
            raw.resize(limit);
        if (!deflated) {
            if (size > limit)
                return false;
            std::memcpy(raw.data(), data, size);
            *got = size;
            return true;
        }
        zs.next_in = const_cast<Bytef*>(data);
        zs.avail_in = static_cast<uInt>(size);
        zs.next_out = raw.data();
        zs.avail_out = static_cast<uInt>(limit);
        int rc = Z_OK;
        while (zs.avail_in > 0 && zs.avail_out > 0 && rc == Z_OK)
            rc = inflate(&zs, Z_SYNC_FLUSH);
        *got = limit - zs.avail_out;
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            return false;
        // Input left over with no room: more data than any frame of this size holds.
        return zs.avail_in == 0 || rc == Z_STREAM_END;
    }

    void SetPalette(const uint8_t* rgb)
    {
        std::memcpy(rgbPalette, rgb, kPaletteBytes);
        for (int i = 0; i < 256; ++i)
            palette[i] =
                (uint32_t(rgb[3 * i]) << 16) | (uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    }

    DecodeResult Key(const uint8_t* data, size_t size)
    {
        if (size < 7)
            return DecodeResult::Truncated;
        if (data[1] != 0 || data[2] != 1 || data[3] > 1 || !IsKnownFormat(data[4]))
            return DecodeResult::Unsupported;
        if (data[5] == 0 || data[6] == 0)
            return DecodeResult::Corrupt;
        if (inflateReset(&zs) != Z_OK)
            return DecodeResult::Corrupt;
        // Nothing of the stream's description changes until the frame has decoded, so a
        // failed key frame leaves a picture that still matches its format.
        const auto newFormat = static_cast<StreamFormat>(data[4]);
        const bool deflated = data[3] == 1;
        work.width = width;
        work.height = height;
        work.bpp = BytesPerPixel(newFormat);
        work.bytes.resize(work.rowBytes() * height);
        const size_t paletteBytes = newFormat == StreamFormat::Pal8 ? kPaletteBytes : 0;
        const size_t expected = paletteBytes + work.bytes.size();
        size_t got = 0;
        if (!Unpack(data + 7, size - 7, deflated, expected, &got))
            return DecodeResult::Corrupt;
        if (got < expected)
            return DecodeResult::Truncated;
        if (paletteBytes)
            SetPalette(raw.data());
        std::memcpy(work.bytes.data(), raw.data() + paletteBytes, work.bytes.size());
        std::swap(picture, work);
        work = picture;
        format = newFormat;
        blockWidth = data[5];
        blockHeight = data[6];
        compressed = deflated;
        return DecodeResult::Ok;
    }

    DecodeResult Inter(const uint8_t* data, size_t size)
    {
        const bool paletteChanged = (data[0] & 2) != 0;
        if (paletteChanged && format != StreamFormat::Pal8)
            return DecodeResult::Corrupt;
        const size_t paletteBytes = paletteChanged ? kPaletteBytes : 0;
        const size_t tableBytes = detail::TableBytes(width, height, blockWidth, blockHeight);
        const size_t limit = paletteBytes + tableBytes + picture.bytes.size();
        size_t got = 0;
        if (!Unpack(data + 1, size - 1, compressed, limit, &got))
            return DecodeResult::Corrupt;
        if (got < paletteBytes + tableBytes)
            return DecodeResult::Truncated;
        const uint8_t* table = raw.data() + paletteBytes;
        const uint8_t* xorData = table + tableBytes;
        const uint8_t* end = raw.data() + got;
        const int bpp = picture.bpp;
        const int across = (width + blockWidth - 1) / blockWidth;
        const int down = (height + blockHeight - 1) / blockHeight;
        for (int by = 0; by < down; ++by) {
            for (int bx = 0; bx < across; ++bx, table += 2) {
                const int x = bx * blockWidth, y = by * blockHeight;
                const int w = std::min(blockWidth, width - x);
                const int h = std::min(blockHeight, height - y);
                // The vectors are the top seven bits of each byte, as signed numbers.
                const Vector v = {static_cast<int8_t>(table[0] & 0xFE) / 2,
                                  static_cast<int8_t>(table[1] & 0xFE) / 2};
                uint8_t* dst = work.row(y) + static_cast<size_t>(x) * bpp;
                detail::FetchBlock(picture, x, y, w, h, v, dst, work.rowBytes());
                if (!(table[0] & 1))
                    continue;
                const size_t rowBytes = static_cast<size_t>(w) * bpp;
                if (static_cast<size_t>(end - xorData) < rowBytes * h)
                    return DecodeResult::Truncated;
                for (int r = 0; r < h; ++r, dst += work.rowBytes())
                    for (size_t i = 0; i < rowBytes; ++i)
                        dst[i] ^= *xorData++;
            }
        }
        if (paletteChanged) {
            uint8_t rgb[kPaletteBytes];
            for (size_t i = 0; i < kPaletteBytes; ++i)
                rgb[i] = rgbPalette[i] ^ raw[i];
            SetPalette(rgb);
        }
        std::swap(picture, work);
        return DecodeResult::Ok;
    }
};

Decoder::Decoder(int width, int height) : m_impl(std::make_unique<Impl>(width, height)) {}
Decoder::~Decoder() = default;
int Decoder::width() const { return m_impl->width; }
int Decoder::height() const { return m_impl->height; }
bool Decoder::HasPicture() const { return m_impl->havePicture; }
StreamFormat Decoder::format() const { return m_impl->format; }
const uint8_t* Decoder::picture() const { return m_impl->picture.bytes.data(); }
const uint32_t* Decoder::palette() const { return m_impl->palette; }

DecodeResult Decoder::Decode(const uint8_t* data, size_t size)
{
    Impl& d = *m_impl;
    if (size == 0)
        return DecodeResult::Ok;
    if (!data || !d.sizeOk || !d.zsReady)
        return DecodeResult::Corrupt;
    const bool key = (data[0] & 1) != 0;
    if (!key && !d.valid)
        return DecodeResult::NeedKeyFrame;
    DecodeResult result;
    try {
        result = key ? d.Key(data, size) : d.Inter(data, size);
    } catch (const std::bad_alloc&) {
        result = DecodeResult::Corrupt;  // a size we cannot hold
    }
    d.valid = result == DecodeResult::Ok;
    if (key && d.valid)
        d.havePicture = true;
    return result;
}

bool Decoder::CopyTo(uint8_t* bits, int stride, int bitsPerPixel) const
{
    const Impl& d = *m_impl;
    if (!d.havePicture || (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    const int w = d.width;
    for (int y = 0; y < d.height; ++y) {
        uint8_t* out = bits + static_cast<ptrdiff_t>(d.height - 1 - y) * stride;
        const uint8_t* in = d.picture.row(y);
        for (int x = 0; x < w; ++x) {
            uint32_t r, g, b;
            switch (d.format) {
            case StreamFormat::Pal8: {
                const uint32_t c = d.palette[in[x]];
                r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
                break;
            }
            case StreamFormat::Rgb555: {
                const uint32_t v = in[2 * x] | (in[2 * x + 1] << 8);
                if (bitsPerPixel == 16) {
                    out[2 * x] = static_cast<uint8_t>(v);
                    out[2 * x + 1] = static_cast<uint8_t>((v >> 8) & 0x7F);
                    continue;
                }
                r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                r = (r << 3) | (r >> 2), g = (g << 3) | (g >> 2), b = (b << 3) | (b >> 2);
                break;
            }
            case StreamFormat::Rgb565: {
                const uint32_t v = in[2 * x] | (in[2 * x + 1] << 8);
                r = v >> 11, g = (v >> 5) & 63, b = v & 31;
                r = (r << 3) | (r >> 2), g = (g << 2) | (g >> 4), b = (b << 3) | (b >> 2);
                break;
            }
            default: b = in[4 * x], g = in[4 * x + 1], r = in[4 * x + 2]; break;
            }
            switch (bitsPerPixel) {
            case 16: {
                const uint16_t v = To555(r, g, b);
                out[2 * x] = static_cast<uint8_t>(v);
                out[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            case 24:
                out[3 * x] = static_cast<uint8_t>(b);
                out[3 * x + 1] = static_cast<uint8_t>(g);
                out[3 * x + 2] = static_cast<uint8_t>(r);
                break;
            default:
                out[4 * x] = static_cast<uint8_t>(b);
                out[4 * x + 1] = static_cast<uint8_t>(g);
                out[4 * x + 2] = static_cast<uint8_t>(r);
                out[4 * x + 3] = 0;
                break;
            }
        }
    }
    return true;
}

}  // namespace zmbv
