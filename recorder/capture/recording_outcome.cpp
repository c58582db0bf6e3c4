// The end of a recording as the main window hears of it.
#include "recording_outcome.h"

#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "app/recording_state.h"

#include <mmsystem.h>

namespace korvane {

namespace {
const DWORD kDefaultCompressor = mmioFOURCC('M', 'S', 'V', 'C');
}

RecordingOutcome DecideOutcome(HRESULT result, DWORD compressorFourCC)
{
    if (result == 0)
        return RecordingOutcome{EndMessage::Generic, false};
    return RecordingOutcome{EndMessage::Interrupted, compressorFourCC != kDefaultCompressor};
}

std::function<bool()> askUseDefaultCompressor = [] {
    return MessageBoxA(
               nullptr,
               "Error recording AVI file using current compressor. Use default compressor ? ",
               "Note", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
};

}  // namespace korvane

void ReportRecordingEnd(HRESULT result)
{
    const korvane::RecordingOutcome outcome =
        korvane::DecideOutcome(result, settings.compressorFourCC);
    if (outcome.message == korvane::EndMessage::Generic) {
        PostMessageA(mainWindow, WM_USER_GENERIC_MSG, 0, 0);
        return;
    }
    PostMessageA(mainWindow, WM_USER_RECORDINTERRUPTED_MSG, 0, 0);
    if (outcome.askForDefaultCompressor && korvane::askUseDefaultCompressor()) {
        settings.compressorFourCC = korvane::kDefaultCompressor;
        PostMessageA(mainWindow, WM_USER_RECORDSTART_MSG, 0, 0);
    }
}
