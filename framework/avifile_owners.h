// Move-only owners for the AVIFile library: the library's use count (AVIFileInit /
// AVIFileExit), an open file, a stream, and an open compressor (ICClose). Counted in
// the handle tallies. A file or stream stays on the thread that opened it.
#pragma once
#include "handle_tally.h"

#include <windows.h>
#include <vfw.h>

#include <utility>

namespace korvane {

// AVIFileInit for the owner's lifetime.
class AviFileLibrary {
public:
    AviFileLibrary() { AVIFileInit(); }
    ~AviFileLibrary() { AVIFileExit(); }
    AviFileLibrary(const AviFileLibrary&) = delete;
    AviFileLibrary& operator=(const AviFileLibrary&) = delete;
};

// An AVIFile COM-style object released with its own release function.
template <typename Pointer, ULONG(WINAPI* ReleaseFn)(Pointer)>
class AviObject {
public:
    AviObject() = default;
    ~AviObject() { Reset(); }
    AviObject(AviObject&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    AviObject& operator=(AviObject&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }
    AviObject(const AviObject&) = delete;
    AviObject& operator=(const AviObject&) = delete;

    Pointer Get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    // For the out-parameter of the call that opens the object; the owner must be empty.
    Pointer* Receive() { return &m_ptr; }
    // Call after a successful Receive() so the tally sees the new object.
    void NoteReceived()
    {
        if (m_ptr)
            NoteOpened(HandleKind::AviObject);
    }
    void Reset()
    {
        if (m_ptr) {
            ReleaseFn(std::exchange(m_ptr, nullptr));
            NoteClosed(HandleKind::AviObject);
        }
    }

private:
    Pointer m_ptr = nullptr;
};

using AviFile = AviObject<PAVIFILE, AVIFileRelease>;
using AviStream = AviObject<PAVISTREAM, AVIStreamRelease>;

// An open installable compressor (ICOpen ... ICClose).
class Compressor {
public:
    Compressor() = default;
    Compressor(DWORD fccType, DWORD fccHandler, UINT mode) : m_hic(ICOpen(fccType, fccHandler, mode))
    {
        if (m_hic)
            NoteOpened(HandleKind::Compressor);
    }
    ~Compressor() { Reset(); }
    Compressor(Compressor&& other) noexcept : m_hic(std::exchange(other.m_hic, nullptr)) {}
    Compressor& operator=(Compressor&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hic = std::exchange(other.m_hic, nullptr);
        }
        return *this;
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    HIC Get() const { return m_hic; }
    explicit operator bool() const { return m_hic != nullptr; }
    void Reset()
    {
        if (m_hic) {
            ICClose(std::exchange(m_hic, nullptr));
            NoteClosed(HandleKind::Compressor);
        }
    }

private:
    HIC m_hic = nullptr;
};

}  // namespace korvane
