// The compressor check at record start (UI thread only).
#include "compressor_missing.h"

#include "app/recording_settings.h"
#include "avifile_owners.h"

#include <vfw.h>

namespace korvane {

namespace {

const char kNoVideo1[] =
    "No Microsoft Video 1 compressor is available, so Korvane cannot record.\n\n"
    "Install Korvane with its installer, which registers the Video 1 codec that comes with "
    "it, or register kvmsvc.dll from the program folder by hand as README.txt describes.";

// Whether `fourCC`'s compressor takes frames at the screen's depth. A compressor that only
// decompresses (Wine's own Video 1 is one) opens but refuses the query.
bool Compresses(DWORD fourCC, int bitsPerPixel)
{
    Compressor compressor(ICTYPE_VIDEO, fourCC, ICMODE_COMPRESS);
    if (!compressor)
        return false;
    BITMAPINFOHEADER frame = {};
    frame.biSize = sizeof frame;
    frame.biWidth = 64;
    frame.biHeight = 64;
    frame.biPlanes = 1;
    frame.biBitCount = static_cast<WORD>(bitsPerPixel);
    frame.biCompression = BI_RGB;
    frame.biSizeImage = ((64 * bitsPerPixel + 31) / 32) * 4 * 64;
    return ICCompressQuery(compressor.Get(), &frame, nullptr) == ICERR_OK;
}

const DWORD kVideo1 = mmioFOURCC('M', 'S', 'V', 'C');
// Every fall-back goes to Video 1, so once it is known to compress no check is needed.
bool video1Compresses = false;

}  // namespace

void NoteVideo1Compressor()
{
    video1Compresses = Compresses(kVideo1, settings.captureBitsPerPixel);
}

bool CheckRecordingCompressor(HWND owner)
{
    if (video1Compresses || Compresses(settings.compressorFourCC, settings.captureBitsPerPixel))
        return true;
    video1Compresses = Compresses(kVideo1, settings.captureBitsPerPixel);
    if (video1Compresses)
        return true;
    MessageBoxA(owner, kNoVideo1, "Korvane", MB_OK | MB_ICONWARNING);
    return false;
}

}  // namespace korvane
