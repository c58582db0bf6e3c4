// The compressor catalogue. Every installed compressor is opened once per build, so
// this runs only when the options dialog opens. UI thread only.
#include "compressor_catalogue.h"

#include "avifile_owners.h"
#include "compressor_input.h"
#include "frame_dib.h"
#include "frame_grabber.h"

#include <memory>
#include <new>

ICINFO* compressorList = nullptr;
int compressorCount = 0;

namespace {

// compressorList points into this array; it is freed only when the next build
// replaces it.
std::unique_ptr<ICINFO[]> ownedList;

}  // namespace

void BuildCompressorCatalogue()
{
    PackedFrame picture(GrabRegionFrame(320, 200, 0, 0, true));
    compressorCount = 0;
    compressorList = nullptr;
    ownedList.reset();
    ownedList.reset(new (std::nothrow) ICINFO[kCompressorListSize]());
    if (!ownedList)
        return;
    compressorList = ownedList.get();
    if (!picture)
        return;  // nothing to ask the compressors about: an empty catalogue

    // A rejected compressor's entry is simply overwritten by the next one enumerated.
    for (DWORD i = 0; compressorCount < kCompressorListSize; ++i) {
        ICINFO& entry = compressorList[compressorCount];
        entry = ICINFO();
        entry.dwSize = sizeof entry;
        if (!ICInfo(ICTYPE_VIDEO, i, &entry))
            break;
        korvane::Compressor compressor(entry.fccType, entry.fccHandler, ICMODE_QUERY);
        if (!compressor)
            continue;
        // Listed when it takes the picture at any depth a recording can hand it.
        if (!korvane::AcceptedInputBits(compressor.Get(), picture.Header()))
            continue;
        ICGetInfo(compressor.Get(), &entry, sizeof entry);
        ++compressorCount;
    }
}
