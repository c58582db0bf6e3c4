// The compressor catalogue (placeholder: always empty until the enumeration lands).
#include "compressor_catalogue.h"

ICINFO* compressorList = nullptr;
int compressorCount = 0;

void BuildCompressorCatalogue() { compressorCount = 0; }
