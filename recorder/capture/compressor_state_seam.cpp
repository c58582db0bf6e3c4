// The saved compressor state in the stream options.
#include "compressor_state_seam.h"

#include "app/recording_settings.h"
#include "compressor_state.h"

void AttachCompressorState(AVICOMPRESSOPTIONS& options)
{
    const DWORD fourCC = settings.compressorFourCC;
    if (fourCC == 0 || fourCC != savedStateFourCC || !CopyStateForOptions())
        return;
    options.lpParms = stateCopyForRecording;
    options.cbParms = static_cast<DWORD>(savedStateSize);
}

void DetachCompressorState(AVICOMPRESSOPTIONS& options)
{
    // By identity rather than by the compressor's name: AVISaveOptionsFree would free
    // whatever is left here, and only our own copy must be kept from it.
    if (options.lpParms && options.lpParms == stateCopyForRecording) {
        options.lpParms = nullptr;
        options.cbParms = 0;
    }
}
