// The recording thread. Recording thread only.
#include "recording_thread.h"

#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "recording_state.h"
#include "scratch_paths.h"

unsigned RecordingThreadMain(void*)
{
    const RECT area = captureRect;
    const int width = area.right - area.left + 1;
    const int height = area.bottom - area.top + 1;
    const int framesPerSecond = settings.framesPerSecond;
    if (!ChooseTempAviPath()) {
        PostMessageA(mainWindow, WM_USER_RECORDINTERRUPTED_MSG, 0, 0);
        return 0;
    }
    RunRecording(area.top, area.left, width, height, framesPerSecond, tempAviPath);
    return 0;
}

int RunRecording(int, int, int, int, int, const std::string&)
{
    // The capture loop is not in this build yet: report a failed recording so that
    // the main window returns to idle.
    PostMessageA(mainWindow, WM_USER_RECORDINTERRUPTED_MSG, 0, 0);
    return 0;
}
