// What a reported key does to the recorder, and which buttons each recording state
// enables (and so which commands it accepts). Pure; the main window gathers the inputs and applies the result (UI thread).
#pragma once
#include "win_scalars.h"

namespace korvane {

enum class HotkeyAction {
    Ignore,
    StartRecord,  // as the Record button while idle (the record key is disarmed first)
    Resume,       // as the Record button while paused
    Pause,
    Stop,  // the stop steps, without clearing the pause first
};

struct HotkeyInputs {
    WParam virtualKey;
    LParam keystrokeInfo;
    int recordPauseKey;
    int stopKey;
    int isRecording;
    int isPaused;
    int recordKeyArmed;
    // From Stop until the stopped recording is saved or given up; its scratch files
    // would be taken over by anything started meanwhile.
    bool finishing;
};

HotkeyAction DecideHotKey(const HotkeyInputs& in);

// The stop steps put the plain caption back only when they find the recording paused;
// the Stop button clears the pause before running them, the Stop key does not.
inline bool StopStepsResetCaption(int isPausedWhenStepsRun) { return isPausedWhenStepsRun != 0; }

struct ButtonStates {
    bool record;
    bool pause;
    bool stop;
    bool options;  // still refused while recording, but without greying
    bool exit;
};

// Also whether each command may act: a click that slips through the merge's message
// pumping while finishing is dropped.
ButtonStates ButtonsFor(int isRecording, int isPaused, bool finishing);

}  // namespace korvane
