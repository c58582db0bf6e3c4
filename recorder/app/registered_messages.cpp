// Registration of the shared window messages. The definitions stay in this one file
// and in this order: within a file, static initialisation follows definition order,
// which is the order the hook libraries and tests expect.
#include "registered_messages.h"

extern const UINT WM_USER_RECORDINTERRUPTED_MSG =
    RegisterWindowMessageA("WM_USER_RECORDINTERRUPTED_MSG");
extern const UINT WM_USER_SAVECURSOR_MSG = RegisterWindowMessageA("WM_USER_SAVECURSOR_MSG");
extern const UINT WM_USER_GENERIC_MSG = RegisterWindowMessageA("WM_USER_GENERIC_MSG");
extern const UINT WM_USER_RECORDSTART_MSG = RegisterWindowMessageA("WM_USER_RECORDSTART_MSG");
extern const UINT WM_USER_KEYSTART_MSG = RegisterWindowMessageA("WM_USER_KEYSTART_MSG");
