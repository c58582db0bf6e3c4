// How a recording's end is reported: the message to post and whether to offer the
// default compressor. Plain decisions, and the question itself behind an interface that
// tests replace. Recording thread.
#pragma once
#include "replaceable.h"

#include <windows.h>

namespace korvane {

enum class EndMessage { Generic, Interrupted };

struct RecordingOutcome {
    EndMessage message = EndMessage::Generic;
    bool askForDefaultCompressor = false;
};

// A recording that wrote frames goes to the finish (WM_USER_GENERIC_MSG), however it
// ended: a failure part way keeps what was recorded. So does a stop before the first frame.
// A failure before any frame posts WM_USER_RECORDINTERRUPTED_MSG, with the question only
// when the compressor failed and it was not the default one.
RecordingOutcome DecideOutcome(HRESULT result, unsigned framesWritten, bool compressorFault,
                               DWORD compressorFourCC);

// What the end of a recording asks the user.
class RecordingQuestions {
public:
    virtual ~RecordingQuestions() = default;
    // "Use the default compressor?" in a message box without owner; true for Yes.
    virtual bool UseDefaultCompressor();
};

using RecordingQuestionsInUse = Replaceable<RecordingQuestions>;
template <>
RecordingQuestions*& RecordingQuestionsInUse::Slot();

}  // namespace korvane

// Posts the outcome of the recording in recordingReport to mainWindow and, on Yes to the
// question, switches to the default compressor and posts WM_USER_RECORDSTART_MSG.
void ReportRecordingEnd(HRESULT result, bool compressorFault);
