// Owners of GDI handles: a DC from GetDC (remembers its window for ReleaseDC), a paint
// DC (BeginPaint ... EndPaint), a memory DC (DeleteDC), any deletable GDI object
// (DeleteObject) and a guard that selects an object into a DC and puts the old one
// back. DCs and objects count in the handle tallies. Usable on any thread; a DC stays on
// the thread that made it.
#pragma once
#include "unique_owner.h"

#include <windows.h>

namespace korvane {

// A DC of a window (or of the screen, for a null window) from GetDC.
struct WindowDcTraits {
    struct Storage {
        HWND hwnd;
        HDC hdc;
    };
    static constexpr HandleKind kTally = HandleKind::Dc;
    static Storage Open(HWND hwnd) { return Storage{hwnd, GetDC(hwnd)}; }
    static bool IsValid(const Storage& value) { return value.hdc != nullptr; }
    static HDC Get(const Storage& value) { return value.hdc; }
    // ReleaseDC needs the very window GetDC was given, or the DC is not released.
    static void Close(const Storage& value) { ReleaseDC(value.hwnd, value.hdc); }
};
using WindowDc = UniqueOwner<WindowDcTraits>;

// The DC of WM_PAINT. Not counted: it is the window's own, lent for one message.
struct PaintDcTraits {
    struct Storage {
        HWND hwnd;
        HDC hdc;
        PAINTSTRUCT ps;
    };
    static constexpr HandleKind kTally = HandleKind::Uncounted;
    static Storage Open(HWND hwnd)
    {
        Storage value{hwnd, nullptr, {}};
        value.hdc = BeginPaint(hwnd, &value.ps);
        return value;
    }
    static bool IsValid(const Storage& value) { return value.hdc != nullptr; }
    static HDC Get(const Storage& value) { return value.hdc; }
    static void Close(const Storage& value) { EndPaint(value.hwnd, &value.ps); }
};
using PaintDc = UniqueOwner<PaintDcTraits>;

// A memory DC from CreateCompatibleDC (null: compatible with the screen).
struct MemoryDcTraits : OwnedHandleTraits<HDC, HandleKind::Dc> {
    static HDC Open(HDC compatibleWith) { return CreateCompatibleDC(compatibleWith); }
    static void Close(HDC hdc) { DeleteDC(hdc); }
};
using MemoryDc = UniqueOwner<MemoryDcTraits>;

// A GDI object deleted with DeleteObject (bitmap, brush, pen, region, font); the owner
// is made from the handle a Create* call returned.
template <typename Handle>
struct GdiObjectTraits : OwnedHandleTraits<Handle, HandleKind::GdiObject> {
    static void Close(Handle handle) { DeleteObject(handle); }
};
template <typename Handle>
using GdiObject = UniqueOwner<GdiObjectTraits<Handle>>;

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Region = GdiObject<HRGN>;
using Font = GdiObject<HFONT>;

// Selects an object into a DC for the guard's lifetime and restores the previous one,
// so the object can be deleted afterwards. Get() is the object that was replaced; the
// guard is empty (and restores nothing) when the selection failed.
struct SelectionTraits {
    struct Storage {
        HDC hdc;
        HGDIOBJ old;
    };
    static constexpr HandleKind kTally = HandleKind::Uncounted;
    static Storage Open(HDC hdc, HGDIOBJ object) { return Storage{hdc, SelectObject(hdc, object)}; }
    static bool IsValid(const Storage& value) { return value.old && value.old != HGDI_ERROR; }
    static HGDIOBJ Get(const Storage& value) { return value.old; }
    static void Close(const Storage& value) { SelectObject(value.hdc, value.old); }
};
using SelectGuard = UniqueOwner<SelectionTraits>;

// What GetIconInfo hands over: the hotspot and copies of the icon's bitmaps, which the
// owners delete.
struct IconParts {
    explicit IconParts(HICON icon) : ok(GetIconInfo(icon, &info) != FALSE)
    {
        if (ok) {
            mask = Bitmap(info.hbmMask);
            color = Bitmap(info.hbmColor);
        }
    }
    ICONINFO info = {};
    bool ok;
    Bitmap mask;
    Bitmap color;
};

}  // namespace korvane
