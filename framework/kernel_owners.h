// Owners of kernel objects: a handle closed with CloseHandle (files, processes,
// threads, mappings), a find handle (FindClose), a loaded module (FreeLibrary) and an
// open registry key (RegCloseKey). Counted as HandleKind::Kernel. Any thread.
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

// Filled through Receive() by RegOpenKeyEx and RegCreateKeyEx.
struct RegistryKeyTraits : OwnedHandleTraits<HKEY> {
    static void Close(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = UniqueOwner<RegistryKeyTraits>;

// Text a call allocated for us with LocalAlloc (FormatMessage's ALLOCATE_BUFFER), filled
// through Receive().
struct LocalTextTraits : OwnedHandleTraits<char*> {
    static void Close(char* text) { LocalFree(text); }
};
using LocalText = UniqueOwner<LocalTextTraits>;

}  // namespace korvane
