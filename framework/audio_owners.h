// Owners of the wave-in device (waveInClose), of multimedia files (mmioClose) and of
// ACM conversion streams (acmStreamClose), counted as HandleKind::Audio. A device may be closed from any
// thread that holds the capture's lock; a stream stays on the thread that opened it.
#pragma once
#include "unique_owner.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

namespace korvane {

// Opened through Receive() (waveInOpen's out-parameter).
struct WaveInDeviceTraits : OwnedHandleTraits<HWAVEIN, HandleKind::Audio> {
    static void Close(HWAVEIN hwi) { waveInClose(hwi); }
};
using WaveInDevice = UniqueOwner<WaveInDeviceTraits>;

// waveInClose refuses while buffers are still with the device; the owner then keeps
// the device, so a later close can try again. True when it is closed.
inline bool CloseWaveInDevice(WaveInDevice& device)
{
    if (!device || waveInClose(device.Get()) != MMSYSERR_NOERROR)
        return false;
    device.Release();
    return true;
}

// An open multimedia file (mmioOpen ... mmioClose). Whichever thread owns the file.
struct MmioFileTraits : OwnedHandleTraits<HMMIO, HandleKind::Audio> {
    static void Close(HMMIO hmmio) { mmioClose(hmmio, 0); }
};
using MmioFile = UniqueOwner<MmioFileTraits>;

// Closing flushes the file's buffer, which can fail (a full drive): true when the file
// was open and its close succeeded.
inline bool CloseMmioFile(MmioFile& file) { return file && mmioClose(file.Release(), 0) == 0; }

struct AcmStreamTraits : OwnedHandleTraits<HACMSTREAM, HandleKind::Audio> {
    static void Close(HACMSTREAM has) { acmStreamClose(has, 0); }
};
using AcmStream = UniqueOwner<AcmStreamTraits>;

}  // namespace korvane
