// Owners of kernel objects: a handle closed with CloseHandle (files, processes,
// threads, mappings), a find handle (FindClose) and a loaded module (FreeLibrary).
// Counted as HandleKind::Kernel. Any thread.
#pragma once
#include "unique_owner.h"

#include <windows.h>

namespace korvane {

// CreateFile and FindFirstFile fail with INVALID_HANDLE_VALUE, others with null; the
// owner takes either as empty.
inline HANDLE NullIfInvalid(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

struct KernelHandleTraits : OwnedHandleTraits<HANDLE, HandleKind::Kernel> {
    static HANDLE Open(HANDLE handle) { return NullIfInvalid(handle); }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using KernelHandle = UniqueOwner<KernelHandleTraits>;

struct FindHandleTraits : OwnedHandleTraits<HANDLE, HandleKind::Kernel> {
    static HANDLE Open(HANDLE handle) { return NullIfInvalid(handle); }
    static void Close(HANDLE handle) { FindClose(handle); }
};
using FindHandle = UniqueOwner<FindHandleTraits>;

struct ModuleTraits : OwnedHandleTraits<HMODULE, HandleKind::Kernel> {
    static void Close(HMODULE module) { FreeLibrary(module); }
};
using Module = UniqueOwner<ModuleTraits>;

}  // namespace korvane
