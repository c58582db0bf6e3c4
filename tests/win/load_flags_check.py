#!/usr/bin/env python3
"""load_flags_check.py DIR...: every program and DLL we ship in each DIR states in its
load configuration, as the Windows loader reads it, that its imports load from System32
only (LOAD_LIBRARY_SEARCH_SYSTEM32). Prints one line per file; exit code: failures."""
import os
import struct
import sys

SYSTEM32_ONLY = 0x800
SHIPPED = ["korvane.exe", "reelpane.exe", "hook.dll", "hookkey.dll", "SkinMagic.dll",
           "kvmsvc.dll", "kvzmbv.dll"]


def dependent_load_flags(path):
    data = open(path, "rb").read()
    pe, = struct.unpack_from("<I", data, 0x3C)
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
    directories = optional + (112 if wide else 96)
    rva, size = struct.unpack_from("<II", data, directories + 8 * 10)
    if rva == 0:
        return "no load configuration"
    for i in range(sections):
        entry = optional + optional_size + 40 * i
        virtual_size, address, raw_size, raw = struct.unpack_from("<IIII", data, entry + 8)
        if address <= rva < address + max(virtual_size, raw_size):
            at = raw + rva - address
            record_size, = struct.unpack_from("<I", data, at)
            field = 78 if wide else 54
            if record_size < field + 2 or size < field + 2:
                return f"load configuration of {record_size} bytes ends before the flags"
            return struct.unpack_from("<H", data, at + field)[0]
    return "load configuration outside every section"


failures = 0
for folder in sys.argv[1:]:
    for name in SHIPPED:
        path = os.path.join(folder, name)
        flags = dependent_load_flags(path) if os.path.isfile(path) else "missing file"
        ok = flags == SYSTEM32_ONLY
        shown = f"0x{flags:x}" if isinstance(flags, int) else flags
        print(f"{'PASS' if ok else 'FAIL'} {path}: dependent load flags {shown}")
        failures += not ok
sys.exit(failures)
