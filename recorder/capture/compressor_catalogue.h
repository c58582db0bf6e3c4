// The compressor catalogue: the installed video compressors that accept the screen's
// frame format, rebuilt each time the options dialog opens. UI thread only.
#pragma once
#include <windows.h>
#include <vfw.h>

constexpr int kCompressorListSize = 30;

extern ICINFO* compressorList;  // kCompressorListSize entries once built, null before
extern int compressorCount;     // valid entries, 0 to kCompressorListSize

// Lists the first 30 'vidc' compressors that accept a 320 x 200 grab of the screen's
// top-left corner. Without memory for the list, the catalogue stays empty.
void BuildCompressorCatalogue();
