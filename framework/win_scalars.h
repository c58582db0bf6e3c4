// Stand-ins for the few Win32 scalar types that the window-free rules pass around. On
// Windows they are the platform's own types, spelled out so that the rules need no
// <windows.h> (win_boundary.h proves they match); elsewhere integers of the same width.
#pragma once
#include <cstdint>

namespace korvane {

#if defined(_WIN32)
using HResult = long;  // HRESULT
#if defined(_WIN64)
using WParam = unsigned long long;  // WPARAM
using LParam = long long;           // LPARAM
#else
using WParam = unsigned int;
using LParam = long;
#endif
#else
using HResult = int32_t;
using WParam = uintptr_t;
using LParam = intptr_t;
#endif

constexpr HResult kResultOk = 0;  // S_OK

}  // namespace korvane
