// The bytes of a file as the recovery parsers read them: by offset, never past the end,
// so a damaged file cannot lead them outside what was read. MemoryBytes serves a buffer
// (tests, the fuzzer); the recorder serves a file the same way. One thread at a time.
#pragma once
#include <cstddef>
#include <cstdint>

namespace korvane {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies up to `bytes` bytes at `offset` into `to`; returns how many were copied
    // (fewer at the end, 0 past it or on a read error).
    virtual size_t Read(uint64_t offset, void* to, size_t bytes) = 0;
};

class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    size_t Read(uint64_t offset, void* to, size_t bytes) override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace korvane
