// The size check.
#include "compressor_check.h"

#include "app/recording_settings.h"
#include "avifile_owners.h"
#include "compressor_catalogue.h"
#include "frame_grabber.h"
#include "app/recording_state.h"

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
const DWORD kReplacedCompressor = mmioFOURCC('I', 'V', '5', '0');

struct CompressorId {
    DWORD fccType;
    DWORD fccHandler;
};

// The compressor a recording will use: the catalogue entry chosen in the options
// dialog while it is still the one in use (a fall-back changes compressorFourCC but
// not compressorIndex), else compressorFourCC itself. compressorList is the UI
// thread's, but the options dialog cannot run while a recording does.
CompressorId CompressorInUse()
{
    const int index = settings.compressorIndex;
    if (index > 0 && compressorList && index < compressorCount &&
        compressorList[index].fccHandler == settings.compressorFourCC)
        return CompressorId{compressorList[index].fccType, compressorList[index].fccHandler};
    return CompressorId{ICTYPE_VIDEO, settings.compressorFourCC};
}

enum class Fit { Accepted, Refused, NoFrame };

// Makes `testFrame` a grab of width x height at (left, top) unless it already is one.
bool EnsureFrameSize(int left, int top, int width, int height, PackedFrame& testFrame)
{
    if (testFrame && testFrame.Header()->biWidth == width && testFrame.Header()->biHeight == height)
        return true;
    testFrame.Reset();
    testFrame = PackedFrame(GrabRegionFrame(width, height, left, top, true));
    return static_cast<bool>(testFrame);
}

// Finds the size `id` accepts, starting from width x height. Accepted: width, height
// and testFrame are of that size. Refused (cannot be opened, or every alignment
// refused): width and height unchanged, testFrame of any tried size.
Fit FitCompressor(CompressorId id, int left, int top, int& width, int& height,
                  PackedFrame& testFrame)
{
    korvane::Compressor compressor(id.fccType, id.fccHandler, ICMODE_QUERY);
    if (!compressor)
        return Fit::Refused;
    bool grabbed = true;
    // Each try is asked with a real frame of the tried size.
    auto accepts = [&](int w, int h) {
        if (!EnsureFrameSize(left, top, w, h, testFrame)) {
            grabbed = false;
            return true;  // stop trying; the caller ends the recording
        }
        return ICSendMessage(compressor.Get(), ICM_COMPRESS_QUERY,
                             reinterpret_cast<DWORD_PTR>(testFrame.Header()), 0) == ICERR_OK;
    };
    // The record-start handler measures the screen; a caller that did not gets it here.
    const int screenW = screenWidth > 0 ? screenWidth : GetSystemMetrics(SM_CXSCREEN);
    const int screenH = screenHeight > 0 ? screenHeight : GetSystemMetrics(SM_CYSCREEN);
    const korvane::CheckedSize size =
        korvane::FindAcceptedSize(width, height, screenW, screenH, accepts);
    if (!grabbed)
        return Fit::NoFrame;
    if (!size.accepted)
        return Fit::Refused;
    width = size.width;
    height = size.height;
    return Fit::Accepted;
}

}  // namespace

bool CheckCompressorForSize(int left, int top, int& width, int& height, PackedFrame& testFrame)
{
    const int originalWidth = width;
    const int originalHeight = height;
    const CompressorId checked = CompressorInUse();
    const Fit fit = FitCompressor(checked, left, top, width, height, testFrame);
    if (fit == Fit::NoFrame)
        return false;
    bool fellBack = false;
    if (fit == Fit::Refused) {
        settings.compressorFourCC = kDefaultCompressor;
        fellBack = true;
    }
    if (settings.compressorFourCC == kReplacedCompressor) {
        settings.compressorFourCC = kDefaultCompressor;
        fellBack = true;
    }
    if (fellBack && checked.fccHandler != kDefaultCompressor) {
        // The default compressor has size rules of its own (Video 1 wants multiples of
        // 4): a size fitted to, or refused by, the other one must not fail the recording.
        width = originalWidth;
        height = originalHeight;
        const Fit fallback = FitCompressor(CompressorId{ICTYPE_VIDEO, kDefaultCompressor}, left,
                                           top, width, height, testFrame);
        if (fallback == Fit::NoFrame)
            return false;
    }
    // Refused by everything asked: the unaligned size, with a frame of that size.
    return EnsureFrameSize(left, top, width, height, testFrame);
}
