// One open instance of the ZMBV driver (one ICOpen): the encoder of a compression
// sequence and the decoder of a decompression sequence. Callers drive an instance from
// one thread at a time; the members answer ICM_* messages and never throw except for
// allocation, which DriverProc turns into ICERR_MEMORY.
#pragma once
#include "zmbv.h"

#include <windows.h>
#include <vfw.h>

#include <memory>

namespace kvzmbv {

constexpr DWORD kFourCCZmbv = mmioFOURCC('Z', 'M', 'B', 'V');

LRESULT GetInfo(ICINFO* info, DWORD size);

class ZmbvInstance {
public:
    LRESULT CompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const;
    LRESULT CompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const;
    LRESULT CompressGetSize(const BITMAPINFO* in) const;
    LRESULT CompressBegin(const BITMAPINFO* in, const BITMAPINFO* out);
    LRESULT Compress(ICCOMPRESS* params, DWORD size);
    LRESULT CompressEnd();

    LRESULT DecompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const;
    LRESULT DecompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const;
    LRESULT DecompressBegin(const BITMAPINFO* in, const BITMAPINFO* out);
    LRESULT Decompress(ICDECOMPRESS* params, DWORD size);
    LRESULT DecompressEnd();

private:
    std::unique_ptr<zmbv::Encoder> m_encoder;
    std::unique_ptr<zmbv::Decoder> m_decoder;
};

}  // namespace kvzmbv
