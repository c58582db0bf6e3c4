// Video 1 decoder: applies one coded frame to the picture it keeps.
// Any thread may use a Decoder, one thread at a time per instance.
#include "video1.h"

#include <cstring>

namespace video1 {

Decoder::Decoder(int width, int height)
    : m_picture(static_cast<size_t>(width > 0 ? width : 0) * (height > 0 ? height : 0), 0),
      m_width(width > 0 ? width : 0),
      m_height(height > 0 ? height : 0)
{
}

int Decoder::width() const { return m_width; }
int Decoder::height() const { return m_height; }
const uint16_t* Decoder::pixels() const { return m_picture.data(); }

namespace {

inline uint16_t ReadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

DecodeResult Decoder::Decode(const uint8_t* data, size_t size)
{
    const int blocksAcross = m_width / 4;
    const long total = static_cast<long>(blocksAcross) * (m_height / 4);
    if (total == 0 || size == 0)
        return DecodeResult::Ok;  // nothing new to show
    if (!data)
        return DecodeResult::Truncated;
    size_t pos = 0;
    long block = 0;
    while (block < total) {
        if (size - pos < 2)
            return DecodeResult::Truncated;
        const uint16_t word = ReadWord(data + pos);
        pos += 2;
        const uint8_t hi = static_cast<uint8_t>(word >> 8);
        if (hi >= 0x84 && hi <= 0x87) {
            const long run = word & 0x3FF;
            // A zero run would mean "skip everything left"; no sane encoder writes it.
            if (run == 0)
                return DecodeResult::Corrupt;
            block += run;  // a run past the last block simply ends the frame
            continue;
        }
        uint16_t* origin = m_picture.data() +
                           static_cast<size_t>(block / blocksAcross) * 4 * m_width +
                           (block % blocksAcross) * 4;
        ++block;
        if (hi >= 0x80) {
            const uint16_t colour = word & 0x7FFF;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    origin[y * m_width + x] = colour;
            continue;
        }
        if (size - pos < 4)
            return DecodeResult::Truncated;
        uint16_t c[8];
        c[0] = ReadWord(data + pos);
        c[1] = ReadWord(data + pos + 2);
        pos += 4;
        if (c[0] & 0x8000) {
            if (size - pos < 12)
                return DecodeResult::Truncated;
            for (int i = 2; i < 8; ++i, pos += 2)
                c[i] = ReadWord(data + pos);
            for (int p = 0; p < 16; ++p) {
                const int y = p >> 2, x = p & 3;
                const int q = 2 * (y >= 2) + (x >= 2);
                origin[y * m_width + x] = c[2 * q + (((word >> p) & 1) ? 0 : 1)] & 0x7FFF;
            }
        } else {
            for (int p = 0; p < 16; ++p)
                origin[(p >> 2) * m_width + (p & 3)] = c[((word >> p) & 1) ? 0 : 1] & 0x7FFF;
        }
    }
    return DecodeResult::Ok;
}

bool Decoder::CopyTo(uint8_t* bits, int stride, int bitsPerPixel) const
{
    if (!bits || (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    const int bytesPerPixel = bitsPerPixel / 8;
    if (stride < 0 ? -stride < m_width * bytesPerPixel : stride < m_width * bytesPerPixel)
        return false;
    for (int y = 0; y < m_height; ++y) {
        const uint16_t* src = m_picture.data() + static_cast<size_t>(y) * m_width;
        uint8_t* row = bits + static_cast<ptrdiff_t>(y) * stride;
        if (bitsPerPixel == 16) {
            for (int x = 0; x < m_width; ++x) {
                row[2 * x] = static_cast<uint8_t>(src[x]);
                row[2 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
            }
            continue;
        }
        for (int x = 0; x < m_width; ++x) {
            const int r = (src[x] >> 10) & 31, g = (src[x] >> 5) & 31, b = src[x] & 31;
            uint8_t* px = row + x * bytesPerPixel;
            px[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
            px[1] = static_cast<uint8_t>((g << 3) | (g >> 2));
            px[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
            if (bytesPerPixel == 4)
                px[3] = 0;
        }
    }
    return true;
}

}  // namespace video1
