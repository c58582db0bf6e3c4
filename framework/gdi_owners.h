// Move-only owners of GDI handles: a DC from GetDC (remembers its window for
// ReleaseDC), a memory DC (DeleteDC), any deletable GDI object (DeleteObject) and a
// guard that selects an object into a DC and puts the old one back. Each counts its
// creations and deletions in the handle tallies. Usable on any thread; a DC stays on
// the thread that made it.
#pragma once
#include "handle_tally.h"

#include <windows.h>

#include <utility>

namespace korvane {

// A DC of a window (or of the screen, for a null window) from GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_hdc(GetDC(hwnd))
    {
        if (m_hdc)
            NoteOpened(HandleKind::Dc);
    }
    ~WindowDc() { Reset(); }
    WindowDc(WindowDc&& other) noexcept
        : m_hwnd(other.m_hwnd), m_hdc(std::exchange(other.m_hdc, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hwnd = other.m_hwnd;
            m_hdc = std::exchange(other.m_hdc, nullptr);
        }
        return *this;
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return m_hdc; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    void Reset()
    {
        if (m_hdc) {
            ReleaseDC(m_hwnd, std::exchange(m_hdc, nullptr));
            NoteClosed(HandleKind::Dc);
        }
    }
    HWND m_hwnd;
    HDC m_hdc;
};

// A memory DC from CreateCompatibleDC (null: compatible with the screen).
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : m_hdc(CreateCompatibleDC(compatibleWith))
    {
        if (m_hdc)
            NoteOpened(HandleKind::Dc);
    }
    ~MemoryDc() { Reset(); }
    MemoryDc(MemoryDc&& other) noexcept : m_hdc(std::exchange(other.m_hdc, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hdc = std::exchange(other.m_hdc, nullptr);
        }
        return *this;
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return m_hdc; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    void Reset()
    {
        if (m_hdc) {
            DeleteDC(std::exchange(m_hdc, nullptr));
            NoteClosed(HandleKind::Dc);
        }
    }
    HDC m_hdc;
};

// A GDI object deleted with DeleteObject (bitmap, brush, pen, region, font).
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle)
    {
        if (m_handle)
            NoteOpened(HandleKind::GdiObject);
    }
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Gives up ownership, e.g. to a window that deletes the object itself.
    Handle Release()
    {
        if (m_handle)
            NoteClosed(HandleKind::GdiObject);
        return std::exchange(m_handle, nullptr);
    }
    void Reset()
    {
        if (m_handle) {
            DeleteObject(std::exchange(m_handle, nullptr));
            NoteClosed(HandleKind::GdiObject);
        }
    }

private:
    Handle m_handle = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Region = GdiObject<HRGN>;

// Selects an object into a DC for the guard's lifetime and restores the previous one,
// so the object can be deleted afterwards. Not movable: it belongs to one scope.
class SelectGuard {
public:
    SelectGuard(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_old(SelectObject(hdc, object)) {}
    ~SelectGuard()
    {
        if (m_old && m_old != HGDI_ERROR)
            SelectObject(m_hdc, m_old);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    bool Selected() const { return m_old && m_old != HGDI_ERROR; }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

}  // namespace korvane
