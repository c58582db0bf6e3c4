// The size check.
#include "compressor_check.h"

#include "app/recording_settings.h"
#include "avifile_owners.h"
#include "compressor_catalogue.h"
#include "compressor_input.h"
#include "frame_grabber.h"
#include "app/recording_state.h"
#include "app/screen_layout.h"

#include <vfw.h>

namespace korvane {

int AlignDimension(int size, int alignment, int screenSize)
{
    if (alignment <= 1 || size % alignment == 0)
        return size;
    const int up = (size / alignment + 1) * alignment;
    return up > screenSize ? (size / alignment) * alignment : up;
}

namespace {

// The start of a side of `size` pixels that begins at `start`, moved back so that the
// side ends on a screen of `screenSize` from `screenStart`, but never before its start.
int KeepOnScreen(int start, int size, int screenStart, int screenSize)
{
    if (start + size > screenStart + screenSize)
        start = screenStart + screenSize - size;
    return start < screenStart ? screenStart : start;
}

}  // namespace

Area AlignArea(const Area& area, int alignment, int screenWidth, int screenHeight, int screenLeft,
               int screenTop)
{
    Area aligned;
    aligned.width = AlignDimension(area.width, alignment, screenWidth);
    aligned.height = AlignDimension(area.height, alignment, screenHeight);
    // Only a size that grew can pass the edge: a smaller one keeps the area's origin.
    aligned.left = aligned.width > area.width
                       ? KeepOnScreen(area.left, aligned.width, screenLeft, screenWidth)
                       : area.left;
    aligned.top = aligned.height > area.height
                      ? KeepOnScreen(area.top, aligned.height, screenTop, screenHeight)
                      : area.top;
    return aligned;
}

CheckedSize FindAcceptedSize(const Area& area, int screenWidth, int screenHeight,
                             const std::function<bool(const Area&)>& accepts, int screenLeft,
                             int screenTop)
{
    if (accepts(area))
        return CheckedSize{area, true};
    for (int alignment : {2, 4, 8}) {
        const Area aligned =
            AlignArea(area, alignment, screenWidth, screenHeight, screenLeft, screenTop);
        if (aligned.width > 0 && aligned.height > 0 && accepts(aligned))
            return CheckedSize{aligned, true};
    }
    return CheckedSize{area, false};
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

// Makes `testFrame` a grab of `area` unless it already is one.
bool EnsureFrameOf(const korvane::Area& area, korvane::Area& grabbed, PackedFrame& testFrame)
{
    if (testFrame && grabbed.left == area.left && grabbed.top == area.top &&
        testFrame.Header()->biWidth == area.width && testFrame.Header()->biHeight == area.height)
        return true;
    testFrame.Reset();
    testFrame = PackedFrame(GrabRegionFrame(area.width, area.height, area.left, area.top, true));
    grabbed = area;
    return static_cast<bool>(testFrame);
}

// Finds the area `id` accepts, starting from `area`. Accepted: `area` and testFrame are
// the accepted ones, `bits` the depth it takes them in. Refused (cannot be opened, or
// every alignment refused at every depth): `area` unchanged, testFrame of any tried area
// (`grabbed` says which).
Fit FitCompressor(CompressorId id, korvane::Area& area, korvane::Area& grabbed,
                  PackedFrame& testFrame, int& bits)
{
    korvane::Compressor compressor(id.fccType, id.fccHandler, ICMODE_QUERY);
    if (!compressor)
        return Fit::Refused;
    bool haveFrame = true;
    // Each try is asked with a real frame of the tried area; the tries stop at the first
    // accepted, so `bits` is the accepted one's.
    auto accepts = [&](const korvane::Area& tried) {
        if (!EnsureFrameOf(tried, grabbed, testFrame)) {
            haveFrame = false;
            return true;  // stop trying; the caller ends the recording
        }
        bits = korvane::AcceptedInputBits(compressor.Get(), testFrame.Header());
        return bits != 0;
    };
    // The record-start handler measures the screen; a caller that did not gets it here.
    // The area may lie on any monitor, so the bounds are those of the virtual screen.
    const RECT screen =
        virtualScreen.right > virtualScreen.left ? virtualScreen : VirtualScreenRect();
    const korvane::CheckedSize fit =
        korvane::FindAcceptedSize(area, screen.right - screen.left + 1,
                                  screen.bottom - screen.top + 1, accepts, screen.left, screen.top);
    if (!haveFrame)
        return Fit::NoFrame;
    if (!fit.accepted)
        return Fit::Refused;
    area = fit.area;
    return Fit::Accepted;
}

}  // namespace

bool CheckCompressorForSize(int& left, int& top, int& width, int& height, PackedFrame& testFrame,
                            int* inputBits)
{
    int bits = 0;
    const korvane::Area original{left, top, width, height};
    korvane::Area area = original;
    // The test frame the caller grabbed is of the original area.
    korvane::Area grabbed = original;
    const CompressorId checked = CompressorInUse();
    const Fit fit = FitCompressor(checked, area, grabbed, testFrame, bits);
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
        // 4): an area fitted to, or refused by, the other one must not fail the recording.
        area = original;
        bits = 0;
        const Fit fallback = FitCompressor(CompressorId{ICTYPE_VIDEO, kDefaultCompressor}, area,
                                           grabbed, testFrame, bits);
        if (fallback == Fit::NoFrame)
            return false;
    }
    left = area.left;
    top = area.top;
    width = area.width;
    height = area.height;
    // Refused by everything asked: the original area, with a frame of it.
    if (!EnsureFrameOf(area, grabbed, testFrame))
        return false;
    if (inputBits)
        *inputBits = bits != 0 ? bits : testFrame.Header()->biBitCount;
    return true;
}
