// The size check.
#include "compressor_check.h"

#include "app/recording_settings.h"
#include "avifile_owners.h"
#include "frame_grabber.h"
#include "recording_state.h"

#include <vfw.h>

namespace korvane {

int AlignDimension(int size, int alignment, int screenSize)
{
    if (alignment <= 1 || size % alignment == 0)
        return size;
    const int up = (size / alignment + 1) * alignment;
    return up > screenSize ? (size / alignment) * alignment : up;
}

CheckedSize FindAcceptedSize(int width, int height, int screenWidth, int screenHeight,
                             const std::function<bool(int, int)>& accepts)
{
    if (accepts(width, height))
        return CheckedSize{width, height, true};
    for (int alignment : {2, 4, 8}) {
        const int w = AlignDimension(width, alignment, screenWidth);
        const int h = AlignDimension(height, alignment, screenHeight);
        if (w > 0 && h > 0 && accepts(w, h))
            return CheckedSize{w, h, true};
    }
    return CheckedSize{width, height, false};
}

}  // namespace korvane

namespace {

const DWORD kDefaultCompressor = mmioFOURCC('M', 'S', 'V', 'C');

bool Accepts(HIC hic, const PackedFrame& frame)
{
    return ICSendMessage(hic, ICM_COMPRESS_QUERY, reinterpret_cast<DWORD_PTR>(frame.Header()),
                         0) == ICERR_OK;
}

}  // namespace

bool CheckCompressorForSize(int left, int top, int& width, int& height, PackedFrame& testFrame)
{
    korvane::Compressor compressor(ICTYPE_VIDEO, settings.compressorFourCC, ICMODE_QUERY);
    if (!compressor) {
        settings.compressorFourCC = kDefaultCompressor;
        return true;
    }
    bool grabbed = true;
    // Each try is asked with a real frame of the tried size, which then stays as the
    // test frame; the last one is of the original size when nothing was accepted.
    auto accepts = [&](int w, int h) {
        if (w != testFrame.Header()->biWidth || h != testFrame.Header()->biHeight) {
            testFrame.Reset();
            testFrame = PackedFrame(GrabRegionFrame(w, h, left, top, true));
            if (!testFrame) {
                grabbed = false;
                return true;  // stop trying; the caller ends the recording
            }
        }
        return Accepts(compressor.Get(), testFrame);
    };
    // The record-start handler measures the screen; a caller that did not gets it here.
    const int screenW = screenWidth > 0 ? screenWidth : GetSystemMetrics(SM_CXSCREEN);
    const int screenH = screenHeight > 0 ? screenHeight : GetSystemMetrics(SM_CYSCREEN);
    const korvane::CheckedSize size =
        korvane::FindAcceptedSize(width, height, screenW, screenH, accepts);
    if (!grabbed)
        return false;
    if (size.accepted) {
        width = size.width;
        height = size.height;
        return true;
    }
    settings.compressorFourCC = kDefaultCompressor;
    if (testFrame.Header()->biWidth != width || testFrame.Header()->biHeight != height) {
        testFrame = PackedFrame(GrabRegionFrame(width, height, left, top, true));
        if (!testFrame)
            return false;
    }
    return true;
}
