// A Video 1 compressor that takes 16-bit RGB555 frames only, as the system's own may:
// every message goes on to our codec (kvmsvc.dll, beside it in the system folder),
// except that uncompressed input of any other depth is refused. Registered as vidc.MSVC
// by the input-depth end-to-end test. Any thread, as the codec it wraps.
#include <windows.h>
#include <vfw.h>

namespace {

using DriverEntry = LRESULT(WINAPI*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

DriverEntry Codec()
{
    static const DriverEntry entry = [] {
        HMODULE codec = LoadLibraryA("kvmsvc.dll");
        return codec ? reinterpret_cast<DriverEntry>(
                           reinterpret_cast<void*>(GetProcAddress(codec, "DriverProc")))
                     : nullptr;
    }();
    return entry;
}

bool Rgb555(const BITMAPINFOHEADER* in)
{
    return in && in->biCompression == BI_RGB && in->biBitCount == 16;
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR hdrvr, UINT message, LPARAM p1, LPARAM p2)
{
    switch (message) {
    case ICM_COMPRESS_QUERY:
    case ICM_COMPRESS_GET_FORMAT:
    case ICM_COMPRESS_GET_SIZE:
    case ICM_COMPRESS_BEGIN:
        if (!Rgb555(reinterpret_cast<const BITMAPINFOHEADER*>(p1)))
            return ICERR_BADFORMAT;
        break;
    case ICM_COMPRESS: {
        const auto* compress = reinterpret_cast<const ICCOMPRESS*>(p1);
        if (!compress || !Rgb555(compress->lpbiInput))
            return ICERR_BADFORMAT;
        break;
    }
    }
    const DriverEntry codec = Codec();
    if (!codec)
        return message == DRV_OPEN || message == DRV_LOAD ? 0 : ICERR_INTERNAL;
    return codec(id, hdrvr, message, p1, p2);
}
