// The compressor catalogue: the installed video compressors that accept the screen's
// frame format, rebuilt each time the options dialog opens. UI thread only.
#pragma once
#include <windows.h>
#include <vfw.h>

extern ICINFO* compressorList;  // 30 entries once built, null before
extern int compressorCount;     // valid entries, 0 to 30

void BuildCompressorCatalogue();
