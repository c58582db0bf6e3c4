// RIFF writing and a forgiving chunk walker for reading. See avi_file.h.
#include "avi_file.h"

#include <cstdio>
#include <cstring>

namespace v1tools {

namespace {

struct Out {
    std::vector<uint8_t> b;
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void u16(uint16_t v)
    {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    void cc(const char* s) { b.insert(b.end(), s, s + 4); }
    size_t open(const char* id, const char* type = nullptr)
    {  // returns the size slot
        cc(id);
        const size_t at = b.size();
        u32(0);
        if (type)
            cc(type);
        return at;
    }
    void close(size_t at)
    {
        // The size excludes the pad byte that keeps the next chunk on an even offset.
        const uint32_t n = static_cast<uint32_t>(b.size() - at - 4);
        std::memcpy(&b[at], &n, 4);  // host is little-endian like the file
        if (b.size() & 1)
            b.push_back(0);
    }
};

uint32_t Rd32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

bool WriteVideo1Avi(const std::string& path, const AviVideo& v, int fps)
{
    Out o;
    const uint32_t n = static_cast<uint32_t>(v.frames.size());
    size_t largest = 0;
    for (const auto& f : v.frames)
        largest = f.size() > largest ? f.size() : largest;
    const size_t riff = o.open("RIFF", "AVI ");
    const size_t hdrl = o.open("LIST", "hdrl");
    const size_t avih = o.open("avih");
    o.u32(1000000 / fps);
    o.u32(0);
    o.u32(0);
    o.u32(0x10);  // AVIF_HASINDEX
    o.u32(n);
    o.u32(0);
    o.u32(1);
    o.u32(static_cast<uint32_t>(largest));
    o.u32(v.width);
    o.u32(v.height);
    for (int i = 0; i < 4; ++i)
        o.u32(0);
    o.close(avih);
    const size_t strl = o.open("LIST", "strl");
    const size_t strh = o.open("strh");
    o.cc("vids");
    o.cc(v.fourcc);
    o.u32(0);
    o.u32(0);
    o.u32(0);
    o.u32(1);
    o.u32(fps);
    o.u32(0);
    o.u32(n);
    o.u32(static_cast<uint32_t>(largest));
    o.u32(0xFFFFFFFF);
    o.u32(0);
    o.u16(0);
    o.u16(0);
    o.u16(static_cast<uint16_t>(v.width));
    o.u16(static_cast<uint16_t>(v.height));
    o.close(strh);
    const size_t strf = o.open("strf");
    o.u32(40);
    o.u32(v.width);
    o.u32(v.height);
    o.u16(1);
    o.u16(static_cast<uint16_t>(v.bitCount));
    o.cc(v.fourcc);
    o.u32(v.width * v.height * ((v.bitCount + 7) / 8));
    for (int i = 0; i < 4; ++i)
        o.u32(0);
    o.close(strf);
    o.close(strl);
    o.close(hdrl);
    const size_t movi = o.open("LIST", "movi");
    std::vector<uint32_t> offsets;
    for (const auto& f : v.frames) {
        offsets.push_back(static_cast<uint32_t>(o.b.size() - movi - 4));
        const size_t c = o.open("00dc");
        o.b.insert(o.b.end(), f.begin(), f.end());
        o.close(c);
    }
    o.close(movi);
    const size_t idx = o.open("idx1");
    for (size_t i = 0; i < v.frames.size(); ++i) {
        o.cc("00dc");
        o.u32(i < v.keys.size() && v.keys[i] ? 0x10 : 0);  // AVIIF_KEYFRAME
        o.u32(offsets[i]);
        o.u32(static_cast<uint32_t>(v.frames[i].size()));
    }
    o.close(idx);
    o.close(riff);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(o.b.data(), 1, o.b.size(), f) == o.b.size();
    return std::fclose(f) == 0 && ok;
}

namespace {

// Walks the chunks of [p, end), descending into LIST chunks.
void Walk(const uint8_t* p, const uint8_t* end, AviVideo* v)
{
    while (end - p >= 8) {
        const uint32_t size = Rd32(p + 4);
        const uint8_t* body = p + 8;
        if (size > static_cast<size_t>(end - body))
            return;
        if (!std::memcmp(p, "LIST", 4) && size >= 4) {
            Walk(body + 4, body + size, v);
        } else if (!std::memcmp(p, "strf", 4) && size >= 12 && v->width == 0) {
            v->width = static_cast<int>(Rd32(body + 4));
            v->height = static_cast<int>(Rd32(body + 8));
        } else if (!std::memcmp(p, "00dc", 4) || !std::memcmp(p, "00db", 4)) {
            v->frames.emplace_back(body, body + size);
        }
        p = body + size + (size & 1);
    }
}

}  // namespace

bool ReadAviVideo(const std::string& path, AviVideo* v, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    if (data.size() < 12 || std::memcmp(data.data(), "RIFF", 4) ||
        std::memcmp(&data[8], "AVI ", 4)) {
        *error = "not an AVI file";
        return false;
    }
    Walk(data.data() + 12, data.data() + data.size(), v);
    if (v->width <= 0 || v->height == 0) {
        *error = "no video format";
        return false;
    }
    if (v->height < 0)
        v->height = -v->height;
    return true;
}

}  // namespace v1tools
