// The recording thread: one run of RecordingThreadMain is one recording. Started by
// the main window on WM_USER_RECORDSTART_MSG and never waited for; it reports its end
// only by posting to mainWindow.
#pragma once
#include <string>

// Thread procedure; the parameter is not used. Returns 0.
unsigned RecordingThreadMain(void* param);

// The whole recording of the area (note: top before left). Returns 0 in every case;
// the outcome is the message posted to mainWindow.
int RunRecording(int top, int left, int width, int height, int framesPerSecond,
                 const std::string& aviPath);
