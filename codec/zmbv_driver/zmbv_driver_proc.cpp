// DriverProc of the ZMBV codec, the single entry point through which Video for Windows
// drives it, and the list of open instances. Any thread may call it; instances are
// looked up under a lock, and each one is used by one thread at a time (callers
// serialise per HIC). No exception leaves this file.
#include "format_rules.h"
#include "instance_list.h"
#include "zmbv_instance.h"

#include <windows.h>
#include <vfw.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

kvmsvc::InstanceList<kvzmbv::ZmbvInstance> g_instances;

// Sentinel for the DRV_OPEN that comes without ICOPEN: non-zero, never an instance.
constexpr LRESULT kBareOpen = 1;

LRESULT Open(ICOPEN* open)
{
    if (!open)
        return kBareOpen;
    if (!kvmsvc::IsVideoCompressorType(open->fccType)) {
        open->dwError = ICERR_UNSUPPORTED;
        return 0;
    }
    auto* instance = g_instances.Add(std::make_unique<kvzmbv::ZmbvInstance>());
    open->dwError = ICERR_OK;
    return reinterpret_cast<LRESULT>(instance);
}

LRESULT Dispatch(DWORD_PTR id, HDRVR hdrvr, UINT message, LPARAM p1, LPARAM p2)
{
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE: return 1;
    case DRV_OPEN: return Open(reinterpret_cast<ICOPEN*>(p2));
    case DRV_CLOSE: g_instances.Remove(id); return 1;
    case DRV_QUERYCONFIGURE: return 0;  // nothing to configure: the codec is lossless
    }
    if (message < DRV_USER)
        return DefDriverProc(id, hdrvr, message, p1, p2);

    switch (message) {
    case ICM_GETINFO: return kvzmbv::GetInfo(reinterpret_cast<ICINFO*>(p1), static_cast<DWORD>(p2));
    case ICM_GETDEFAULTKEYFRAMERATE:
        if (!p1)
            return ICERR_BADPARAM;
        *reinterpret_cast<DWORD*>(p1) = 25;
        return ICERR_OK;
    case ICM_CONFIGURE:
    case ICM_ABOUT: return ICERR_UNSUPPORTED;
    }
    kvzmbv::ZmbvInstance* instance = g_instances.Find(id);
    if (!instance)
        return ICERR_BADHANDLE;

    auto* in = reinterpret_cast<const BITMAPINFO*>(p1);
    auto* out = reinterpret_cast<BITMAPINFO*>(p2);
    switch (message) {
    case ICM_GETSTATE: return 0;  // no settings to save
    case ICM_SETSTATE: return 0;
    case ICM_COMPRESS_QUERY: return instance->CompressQuery(in, out);
    case ICM_COMPRESS_GET_FORMAT: return instance->CompressGetFormat(in, out);
    case ICM_COMPRESS_GET_SIZE: return instance->CompressGetSize(in);
    case ICM_COMPRESS_BEGIN: return instance->CompressBegin(in, out);
    case ICM_COMPRESS:
        return instance->Compress(reinterpret_cast<ICCOMPRESS*>(p1), static_cast<DWORD>(p2));
    case ICM_COMPRESS_END: return instance->CompressEnd();
    case ICM_DECOMPRESS_QUERY: return instance->DecompressQuery(in, out);
    case ICM_DECOMPRESS_GET_FORMAT: return instance->DecompressGetFormat(in, out);
    case ICM_DECOMPRESS_BEGIN: return instance->DecompressBegin(in, out);
    case ICM_DECOMPRESS:
        return instance->Decompress(reinterpret_cast<ICDECOMPRESS*>(p1), static_cast<DWORD>(p2));
    case ICM_DECOMPRESS_END: return instance->DecompressEnd();
    }
    return ICERR_UNSUPPORTED;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(module);
    return TRUE;
}

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR hdrvr, UINT message, LPARAM p1, LPARAM p2)
{
    try {
        return Dispatch(id, hdrvr, message, p1, p2);
    } catch (const std::bad_alloc&) {
        return message == DRV_OPEN ? 0 : ICERR_MEMORY;
    } catch (...) {
        return message == DRV_OPEN ? 0 : ICERR_INTERNAL;
    }
}
