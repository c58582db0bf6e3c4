// The end of a recording as the main window hears of it.
#include "recording_outcome.h"

#include "app/recording_report.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "app/recording_state.h"

#include <mmsystem.h>

namespace korvane {

namespace {
const DWORD kDefaultCompressor = mmioFOURCC('M', 'S', 'V', 'C');
}

RecordingOutcome DecideOutcome(HRESULT result, unsigned framesWritten, bool compressorFault,
                               DWORD compressorFourCC)
{
    if (result == 0 || framesWritten > 0)
        return RecordingOutcome{EndMessage::Generic, false};
    return RecordingOutcome{EndMessage::Interrupted,
                            compressorFault && compressorFourCC != kDefaultCompressor};
}

bool RecordingQuestions::UseDefaultCompressor()
{
    return MessageBoxA(
               nullptr,
               "Error recording AVI file using current compressor. Use default compressor ? ",
               "Note", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

template <>
RecordingQuestions*& RecordingQuestionsInUse::Slot()
{
    static RecordingQuestions real;
    static RecordingQuestions* inUse = &real;
    return inUse;
}

}  // namespace korvane

void ReportRecordingEnd(HRESULT result, bool compressorFault)
{
    const korvane::RecordingOutcome outcome = korvane::DecideOutcome(
        result, recordingReport.framesWritten, compressorFault, settings.compressorFourCC);
    if (outcome.message == korvane::EndMessage::Generic) {
        PostMessageA(mainWindow, WM_USER_GENERIC_MSG, 0, 0);
        return;
    }
    // WPARAM 1: the question follows and says what failed.
    PostMessageA(mainWindow, WM_USER_RECORDINTERRUPTED_MSG, outcome.askForDefaultCompressor ? 1 : 0,
                 0);
    if (outcome.askForDefaultCompressor &&
        korvane::RecordingQuestionsInUse::Current().UseDefaultCompressor()) {
        settings.compressorFourCC = korvane::kDefaultCompressor;
        PostMessageA(mainWindow, WM_USER_RECORDSTART_MSG, 0, 0);
    }
}
