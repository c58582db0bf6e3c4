// The saved compressor state and the recording's copy of it, both in locked movable
// global memory that lives here until it is replaced.
#include "compressor_state.h"

#include "global_mem.h"

#include <climits>
#include <cstring>

void* savedStateBytes = nullptr;
int savedStateSize = 0;
DWORD savedStateFourCC = 0;
void* stateCopyForRecording = nullptr;

namespace {

// Each block stays locked while it is held; its data is what the globals above show.
korvane::LockedGlobal savedState;
korvane::LockedGlobal recordingCopy;

}  // namespace

void SaveCompressorState(HIC compressor, DWORD fccHandler)
{
    const LRESULT size = ICSendMessage(compressor, ICM_GETSTATE, 0, 0);
    // Compressors without state answer 0 or an error code (ICERR_UNSUPPORTED is -1);
    // neither is a size to allocate.
    if (size <= 0)
        return;
    // A size past what an int holds (only a 64-bit LRESULT can say it) is memory that
    // cannot be had, and must not wrap into a small one.
    if (!AllocStateBuffer(size > INT_MAX ? -1 : static_cast<int>(size)))
        return;
    ICSendMessage(compressor, ICM_GETSTATE, reinterpret_cast<DWORD_PTR>(savedStateBytes),
                  static_cast<DWORD_PTR>(size));
    savedStateFourCC = fccHandler;
    savedStateSize = static_cast<int>(size);
}

int AllocStateBuffer(int bytes)
{
    savedState.Reset();
    savedStateBytes = nullptr;
    if (bytes > 0)
        savedState = korvane::AllocateLockedGlobal(static_cast<SIZE_T>(bytes));
    if (!savedState) {
        // The old state is gone: no recording may be handed bytes that are not there.
        savedStateFourCC = 0;
        savedStateSize = 0;
        MessageBoxA(nullptr, "ID_ERR_ALLOC_COMPRESS_PARAMETERS_FORMAT",
                    "getString(ID_TITLE_MSGBOX_NOTE)", MB_OK | MB_ICONWARNING);
        return 0;
    }
    savedStateBytes = savedState.Get();
    savedStateSize = bytes;
    return 1;
}

int CopyStateForOptions()
{
    recordingCopy.Reset();
    stateCopyForRecording = nullptr;
    if (!savedStateBytes || savedStateSize <= 0)
        return 0;
    recordingCopy = korvane::AllocateLockedGlobal(static_cast<SIZE_T>(savedStateSize));
    if (!recordingCopy)
        return 0;
    stateCopyForRecording = recordingCopy.Get();
    std::memcpy(stateCopyForRecording, savedStateBytes, static_cast<size_t>(savedStateSize));
    return 1;
}
