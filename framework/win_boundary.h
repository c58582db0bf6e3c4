// Where window code meets the window-free rules: conversions between the Win32 records
// and the rules' own geometry, and the proof that the rules' scalar stand-ins are the
// platform's types (so the seams between them convert nothing). Windows only.
#pragma once
#include "geometry.h"
#include "win_scalars.h"

#include <windows.h>

#include <type_traits>

namespace korvane {

static_assert(std::is_same<HResult, HRESULT>::value, "HResult must be HRESULT");
static_assert(std::is_same<WParam, WPARAM>::value, "WParam must be WPARAM");
static_assert(std::is_same<LParam, LPARAM>::value, "LParam must be LPARAM");
static_assert(kResultOk == S_OK, "kResultOk must be S_OK");

inline Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Point ToPoint(POINT p) { return Point{p.x, p.y}; }
inline POINT ToPOINT(Point p) { return POINT{p.x, p.y}; }
inline Size ToSize(SIZE s) { return Size{s.cx, s.cy}; }
inline SIZE ToSIZE(Size s) { return SIZE{s.cx, s.cy}; }

}  // namespace korvane
