// The skin library's exports as both programs import them: by ordinal only (1, 2, 3, 5,
// 8), stdcall. SkinQueryState is a named extra for tests and diagnostics.
// Every call belongs on the program's UI thread.
#pragma once
#include <windows.h>

extern "C" {
int __stdcall SkinInitialize(HINSTANCE instance, const char* appName, const char* reserved,
                             DWORD flags);                           // ordinal 1
int __stdcall SkinExit();                                            // ordinal 2
int __stdcall SkinLoadFile(const char* path);                        // ordinal 3
int __stdcall SkinApplyToWindow(HWND window, const char* partName);  // ordinal 5
int __stdcall SkinSetDialogScheme(const char* schemeName);           // ordinal 8

// Copies what the library holds into the buffers (each `size` bytes, may be null);
// returns 1 when a valid skin file is loaded, else 0.
int __stdcall SkinQueryState(char* path, char* scheme, int size);
}
