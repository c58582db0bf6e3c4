// Caption of the main window.
#include "main_title.h"

#include "recording_state.h"

#include <windows.h>

void SetMainTitle(const char* text)
{
    if (mainWindow)
        SetWindowTextA(mainWindow, text);
}
