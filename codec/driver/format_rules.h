// Which DIB formats the Video 1 driver takes in and gives out, and the formats it
// fills in for its callers. Plain functions on BITMAPINFOHEADERs with no window or
// driver state, so any thread may call them and the tests drive them directly.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdint>

namespace kvmsvc {

constexpr DWORD kFourCCMsvc = mmioFOURCC('M', 'S', 'V', 'C');

// Larger frames would overflow the 32-bit size arithmetic of our callers.
constexpr LONG kMaxDimension = 16384;

// Bytes of one row of an uncompressed DIB (rows are padded to whole DWORDs).
size_t DibStride(LONG width, int bitCount);

// Bytes of the colour table that follows a header (only 8-bit DIBs have one here).
size_t PaletteBytes(const BITMAPINFOHEADER& bih);

// True for the four-character codes that name Video 1, in any letter case.
bool IsVideo1FourCC(DWORD fourcc);

// The type an opener names: 'vidc' in any letter case, or 0 when it does not say.
bool IsVideoCompressorType(DWORD fccType);

// Uncompressed input the compressor takes: bottom-up BI_RGB of 8 (with a colour table),
// 16 (RGB555), 24 or 32 bits, whole 4x4 blocks, and a biSizeImage (when given) that
// covers every row.
bool IsCompressibleInput(const BITMAPINFOHEADER& in);

// An output format a caller proposes for compression: 16-bit Video 1 of the input's size.
bool IsCompressedOutputFor(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out);

// The compressed format for an accepted input; biSizeImage bounds any frame we write.
BITMAPINFOHEADER CompressedFormatFor(const BITMAPINFOHEADER& in);

// Compressed input the decompressor takes: 16-bit Video 1, bottom-up, any whole size.
bool IsDecompressibleInput(const BITMAPINFOHEADER& in);

// An uncompressed output for decompression: BI_RGB of 16, 24 or 32 bits, the input's
// width and height (bottom-up, or top-down with a negative height), and a biSizeImage
// (when given) large enough for every row.
bool IsDecompressedOutputFor(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out);

// The uncompressed format the decompressor suggests: 16-bit RGB555, as the stream holds it.
BITMAPINFOHEADER DecompressedFormatFor(const BITMAPINFOHEADER& in);

}  // namespace kvmsvc
