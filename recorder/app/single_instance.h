// One recorder per session. A second start (the Start menu entry pressed again while a
// minimised recorder records) would answer the same hotkeys and take over the cursor
// hook's shared memory; it hands over to the running recorder instead. First thread only.
#pragma once
#include "kernel_owners.h"

#include <windows.h>

class RecorderInstance {
public:
    // True when this process may run as the session's recorder: none runs, or the one
    // that ran ended within the wait. Otherwise the running recorder's main window has
    // been brought to the front (when it shows one in time) and this process should end.
    bool Claim(DWORD waitMs = 10000);

private:
    korvane::KernelHandle m_mutex;
};

// Marks `hwnd` as the recorder's main window, for a later start to find; and unmarks it.
void MarkRecorderWindow(HWND hwnd);
void UnmarkRecorderWindow(HWND hwnd);
