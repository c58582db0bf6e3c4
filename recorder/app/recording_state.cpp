// The runtime state of a recording, with its start-up values.
#include "recording_state.h"

std::atomic<int> isRecording{0};
std::atomic<int> isPaused{0};
RECT captureRect = {};
RECT selectionRect = {};
int screenWidth = 0;
int screenHeight = 0;
std::string tempAviPath;
std::string tempWavPath;
HWND mainWindow = nullptr;
std::atomic<HCURSOR> savedCursor{nullptr};
HWND regionWindow = nullptr;

int MeasureScreen()
{
    HDC screen = GetDC(nullptr);
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
    const int bitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bitsPerPixel;
}
