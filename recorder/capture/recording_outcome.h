// How a recording's end is reported: the message to post and whether to offer the
// default compressor. Plain decisions, and the question itself behind a replaceable
// function. Recording thread.
#pragma once
#include <windows.h>

#include <functional>

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

// Asks "use the default compressor?"; true for Yes. A message box without owner unless
// replaced (tests answer without a box).
extern std::function<bool()> askUseDefaultCompressor;

}  // namespace korvane

// Posts the outcome of the recording in recordingReport to mainWindow and, on Yes to the
// question, switches to the default compressor and posts WM_USER_RECORDSTART_MSG.
void ReportRecordingEnd(HRESULT result, bool compressorFault);
