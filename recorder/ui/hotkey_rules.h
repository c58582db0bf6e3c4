// What a reported key does to the recorder, which buttons each recording state enables
// (and so which commands it accepts), and the caption while paused. Pure; the main
// window gathers the inputs and applies the result (UI thread).
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

// Whether a reported key is the hotkey `setting`. The key hook reports which SHIFT,
// CONTROL or ALT key it was (left or right), while the key lists offer only the key
// that stands for both.
bool IsHotkey(WParam virtualKey, int setting);

// The stop steps put the plain caption back only when they find the recording paused;
// the Stop button clears the pause before running them, the Stop key does not.
inline bool StopStepsResetCaption(int isPausedWhenStepsRun) { return isPausedWhenStepsRun != 0; }

// The capture loop's blink requests arrive late: the caption goes blank only while the
// recording is still paused, and a blank one is shown again on any other request.
enum class CaptionChange { Keep, Blank, Restore };
CaptionChange DecideCaption(bool blankAsked, int isPaused, bool captionBlank);

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
