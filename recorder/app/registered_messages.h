// The five registered window messages shared by the recording thread, the hook
// libraries and the main window. Registered during static initialisation, so their
// values are fixed before any window exists; read-only afterwards (any thread).
#pragma once
#include <windows.h>

extern const UINT WM_USER_RECORDINTERRUPTED_MSG;
extern const UINT WM_USER_SAVECURSOR_MSG;
extern const UINT WM_USER_GENERIC_MSG;
extern const UINT WM_USER_RECORDSTART_MSG;
extern const UINT WM_USER_KEYSTART_MSG;
