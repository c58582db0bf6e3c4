// Registration of the shared window messages, in the order the hook libraries and tests
// have always seen them registered.
#include "registered_messages.h"

namespace {
UINT recordInterrupted, saveCursor, generic, recordStart, keyStart;
}  // namespace

const UINT& WM_USER_RECORDINTERRUPTED_MSG = recordInterrupted;
const UINT& WM_USER_SAVECURSOR_MSG = saveCursor;
const UINT& WM_USER_GENERIC_MSG = generic;
const UINT& WM_USER_RECORDSTART_MSG = recordStart;
const UINT& WM_USER_KEYSTART_MSG = keyStart;

void RegisterAppMessages()
{
    recordInterrupted = RegisterWindowMessageA("WM_USER_RECORDINTERRUPTED_MSG");
    saveCursor = RegisterWindowMessageA("WM_USER_SAVECURSOR_MSG");
    generic = RegisterWindowMessageA("WM_USER_GENERIC_MSG");
    recordStart = RegisterWindowMessageA("WM_USER_RECORDSTART_MSG");
    keyStart = RegisterWindowMessageA("WM_USER_KEYSTART_MSG");
}
