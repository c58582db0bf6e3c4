// The compressor check at record start (UI thread only).
#include "compressor_missing.h"

#include "app/recording_settings.h"
#include "avifile_owners.h"
#include "capture/compressor_input.h"

#include <vfw.h>

namespace korvane {

namespace {

const char kNoVideo1[] =
    "No Microsoft Video 1 compressor is available, so Korvane cannot record.\n\n"
    "Install Korvane with its installer, which registers the Video 1 codec that comes with "
    "it, or register kvmsvc.dll from the program folder by hand as README.txt describes.";
// The installer leaves a Video 1 compressor that is registered already, so it cannot help.
const char kVideo1Refuses[] =
    "No Microsoft Video 1 compressor is available, so Korvane cannot record.\n\n"
    "The Video 1 compressor registered on this system takes none of the picture formats "
    "Korvane can give it (the screen's, 24-bit or 16-bit colour). Choose another "
    "compressor in Options, or register kvmsvc.dll from the program folder in its place by "
    "hand as README.txt describes.";

enum class Compression { NotInstalled, Refused, Works };

// Whether `fourCC`'s compressor takes frames at the screen's depth or at one they can be
// converted to. A compressor that only decompresses (Wine's own Video 1 is one) opens but
// refuses every depth.
Compression Compresses(DWORD fourCC, int bitsPerPixel)
{
    Compressor compressor(ICTYPE_VIDEO, fourCC, ICMODE_COMPRESS);
    if (!compressor)
        return Compression::NotInstalled;
    BITMAPINFOHEADER size = {};
    size.biWidth = 64;
    size.biHeight = 64;
    const InputFormat frame(size, bitsPerPixel);
    return frame && AcceptedInputBits(compressor.Get(), frame.Header()) ? Compression::Works
                                                                        : Compression::Refused;
}

const DWORD kVideo1 = mmioFOURCC('M', 'S', 'V', 'C');
// Every fall-back goes to Video 1, so once it is known to compress no check is needed.
bool video1Compresses = false;

}  // namespace

void NoteVideo1Compressor()
{
    video1Compresses = Compresses(kVideo1, settings.captureBitsPerPixel) == Compression::Works;
}

bool CheckRecordingCompressor(HWND owner)
{
    if (video1Compresses ||
        Compresses(settings.compressorFourCC, settings.captureBitsPerPixel) == Compression::Works)
        return true;
    const Compression video1 = Compresses(kVideo1, settings.captureBitsPerPixel);
    video1Compresses = video1 == Compression::Works;
    if (video1Compresses)
        return true;
    MessageBoxA(owner, video1 == Compression::Refused ? kVideo1Refuses : kNoVideo1, "Korvane",
                MB_OK | MB_ICONWARNING);
    return false;
}

}  // namespace korvane
