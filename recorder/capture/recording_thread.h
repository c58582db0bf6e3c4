// The recording thread: one run of RecordingThreadMain is one recording. Started by
// the main window on WM_USER_RECORDSTART_MSG; it reports its end only by posting to
// mainWindow. The UI thread does not join it; only the end of the process (exit, log-off)
// waits for it, by its handle.
#pragma once
#include <string>

// Thread procedure; the parameter is not used. Returns 0.
unsigned RecordingThreadMain(void* param);

// Runs RecordingThreadMain on a thread of its own; false when no thread could be made.
bool StartRecordingThread();
// Waits up to `timeoutMs` for a thread StartRecordingThread started to end, handling the
// messages other threads send to this one meanwhile (the recording thread sends some to
// the border window) but no posted ones. True when none runs any more.
bool WaitForRecordingThread(unsigned timeoutMs);

// The whole recording of the area (note: top before left). Returns 0 in every case;
// the outcome is the message posted to mainWindow.
int RunRecording(int top, int left, int width, int height, int framesPerSecond,
                 const std::string& aviPath);
