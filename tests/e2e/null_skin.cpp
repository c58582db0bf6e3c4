// A skin library whose every call does nothing, for checking that the recorder does not
// depend on what the skin library does. Same ordinals as the real one.
#include <windows.h>

extern "C" {
int __stdcall SkinInitialize(HINSTANCE, const char*, const char*, DWORD) { return 0; }
int __stdcall SkinExit() { return 0; }
int __stdcall SkinLoadFile(const char*) { return 0; }
int __stdcall SkinApplyToWindow(HWND, const char*) { return 0; }
int __stdcall SkinSetDialogScheme(const char*) { return 0; }
int __stdcall SkinQueryState(char*, char*, int) { return 0; }
}
