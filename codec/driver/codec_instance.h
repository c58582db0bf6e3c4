// One open instance of the Video 1 driver (one ICOpen): its settings, the encoder of a
// compression sequence and the decoder of a decompression sequence. Callers drive an
// instance from one thread at a time; the members answer the ICM_* messages and return
// their LRESULTs, never throwing (allocation failures become ICERR_MEMORY).
#pragma once
#include "codec_state.h"
#include "video1.h"

#include <windows.h>
#include <vfw.h>

#include <memory>

namespace kvmsvc {

// Messages that need no instance (ICInfo may send them with none).
LRESULT GetInfo(ICINFO* info, DWORD size);
LRESULT GetDefaultQuality(DWORD* quality, const CodecState& state);

class CodecInstance {
public:
    const CodecState& State() const { return m_state; }
    void SetState(const CodecState& state) { m_state = state; }

    LRESULT GetState(void* buffer, DWORD size) const;
    LRESULT SetState(const void* buffer, DWORD size);

    LRESULT CompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const;
    LRESULT CompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const;
    LRESULT CompressGetSize(const BITMAPINFO* in, const BITMAPINFO* out) const;
    LRESULT CompressBegin(const BITMAPINFO* in, const BITMAPINFO* out);
    LRESULT Compress(ICCOMPRESS* params, DWORD size);
    LRESULT CompressEnd();

    LRESULT DecompressQuery(const BITMAPINFO* in, const BITMAPINFO* out) const;
    LRESULT DecompressGetFormat(const BITMAPINFO* in, BITMAPINFO* out) const;
    LRESULT DecompressBegin(const BITMAPINFO* in, const BITMAPINFO* out);
    LRESULT Decompress(ICDECOMPRESS* params, DWORD size);
    LRESULT DecompressEnd();

private:
    CodecState m_state;
    std::unique_ptr<video1::Encoder> m_encoder;
    std::unique_ptr<video1::Decoder> m_decoder;
};

}  // namespace kvmsvc
