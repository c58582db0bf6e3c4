// CBuffer.
#include "capture_buffer.h"

#include "audio_system.h"

#include <new>

CBuffer::CBuffer(DWORD byteCount) : m_data(nullptr), m_byteCount(0), m_ownsData(false)
{
    m_data = new (std::nothrow) char[byteCount];
    if (!m_data) {
        korvane::Audio().ShowMessage(nullptr, "Out of memory for audio buffer!", "Note", MB_OK);
        return;
    }
    m_byteCount = byteCount;
}

CBuffer::CBuffer(void* data, DWORD byteCount)
    : m_data(data), m_byteCount(data ? byteCount : 0), m_ownsData(false)
{
}

CBuffer::~CBuffer()
{
    if (m_ownsData)
        delete[] static_cast<char*>(m_data);
}
