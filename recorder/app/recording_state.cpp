// The runtime state of a recording, with its start-up values.
#include "recording_state.h"

#include "gdi_owners.h"
#include "screen_layout.h"

std::atomic<int> isRecording{0};
std::atomic<int> isPaused{0};
RECT captureRect = {};
RECT selectionRect = {};
int screenWidth = 0;
int screenHeight = 0;
RECT virtualScreen = {};
std::string tempAviPath;
std::string tempWavPath;
HWND mainWindow = nullptr;
std::atomic<HCURSOR> savedCursor{nullptr};
HWND regionWindow = nullptr;
std::atomic<unsigned> displayChanges{0};

int MeasureScreen()
{
    const korvane::WindowDc screen(nullptr);
    screenWidth = GetDeviceCaps(screen.Get(), HORZRES);
    screenHeight = GetDeviceCaps(screen.Get(), VERTRES);
    virtualScreen = VirtualScreenRect();
    return GetDeviceCaps(screen.Get(), BITSPIXEL);
}
