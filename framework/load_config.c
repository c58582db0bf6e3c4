/* The load configuration of every program and DLL we ship. Its one purpose: the
 * DLLs a module imports are looked for in System32 only (LOAD_LIBRARY_SEARCH_SYSTEM32,
 * honoured from Windows 10 1607), never beside a program unpacked from a zip into
 * Downloads, where a planted winmm.dll or msvfw32.dll would otherwise be loaded. Our
 * linker fills no load-configuration directory, so tools/set-load-config points the
 * file's directory at this record after each link; it sits alone in its own section so
 * that the tool can find it. Read by the loader before any code runs. */
#include <windows.h>

#include <stddef.h>

/* The headers call the field DependentLoadFlags "Reserved1". The record stops after it:
 * a longer one would state (empty) SafeSEH and guard tables on 32-bit Windows. */
#ifdef _WIN64
#define KV_LOAD_CONFIG IMAGE_LOAD_CONFIG_DIRECTORY64
#else
#define KV_LOAD_CONFIG IMAGE_LOAD_CONFIG_DIRECTORY32
#endif

__attribute__((section(".kvlcfg"), used)) const KV_LOAD_CONFIG kvLoadConfig = {
    .Size = offsetof(KV_LOAD_CONFIG, Reserved1) + sizeof(WORD),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
