// CBuffer: a view of a block of audio bytes. It never frees what it points at: capture
// memory belongs to its wave header (wave_in_capture.cpp). Any thread.
#pragma once
#include <windows.h>

class CBuffer {
public:
    // Allocates `byteCount` bytes for the caller to own (released with ::operator
    // delete[] of char); on failure tells the user and leaves m_data null.
    explicit CBuffer(DWORD byteCount);
    // Wraps existing bytes without copying; a null pointer gives an empty buffer.
    CBuffer(void* data, DWORD byteCount);
    virtual ~CBuffer();
    CBuffer(const CBuffer&) = delete;
    CBuffer& operator=(const CBuffer&) = delete;

    void* m_data;
    DWORD m_byteCount;
    bool m_ownsData;
};
