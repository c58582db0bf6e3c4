// Owners for the AVIFile library: the library's use count (AVIFileInit / AVIFileExit),
// an open file, a stream, stream options (AVISaveOptionsFree) and an open compressor
// (ICClose). Counted in
// the handle tallies. A file or stream stays on the thread that opened it.
#pragma once
#include "unique_owner.h"

#include <windows.h>
#include <vfw.h>

namespace korvane {

// AVIFileInit for the owner's lifetime.
class AviFileLibrary {
public:
    AviFileLibrary() { AVIFileInit(); }
    ~AviFileLibrary() { AVIFileExit(); }
    AviFileLibrary(const AviFileLibrary&) = delete;
    AviFileLibrary& operator=(const AviFileLibrary&) = delete;
};

// An AVIFile COM-style object released with its own release function. Opened through
// the owner's Receive() and NoteReceived().
template <typename Pointer, ULONG(WINAPI* ReleaseFn)(Pointer)>
struct AviObjectTraits : OwnedHandleTraits<Pointer, HandleKind::AviObject> {
    static void Close(Pointer ptr) { ReleaseFn(ptr); }
};
template <typename Pointer, ULONG(WINAPI* ReleaseFn)(Pointer)>
using AviObject = UniqueOwner<AviObjectTraits<Pointer, ReleaseFn>>;

using AviFile = AviObject<PAVIFILE, AVIFileRelease>;
using AviStream = AviObject<PAVISTREAM, AVIStreamRelease>;

// Stream options that AVIFile or a compressor may fill with blocks of their own (the
// format, the parameters): AVISaveOptionsFree frees those when the owner goes. Code
// that lends the options a block of its own takes it back out before then.
class CompressOptions {
public:
    CompressOptions() = default;
    explicit CompressOptions(const AVICOMPRESSOPTIONS& options) : m_options(options) {}
    ~CompressOptions()
    {
        AVICOMPRESSOPTIONS* list[1] = {&m_options};
        AVISaveOptionsFree(1, list);
    }
    CompressOptions(const CompressOptions&) = delete;
    CompressOptions& operator=(const CompressOptions&) = delete;

    AVICOMPRESSOPTIONS* Get() { return &m_options; }
    AVICOMPRESSOPTIONS* operator->() { return &m_options; }
    AVICOMPRESSOPTIONS& operator*() { return m_options; }

private:
    AVICOMPRESSOPTIONS m_options = {};
};

// An open installable compressor (ICOpen ... ICClose).
struct CompressorTraits : OwnedHandleTraits<HIC, HandleKind::Compressor> {
    static HIC Open(DWORD fccType, DWORD fccHandler, UINT mode)
    {
        return ICOpen(fccType, fccHandler, mode);
    }
    static void Close(HIC hic) { ICClose(hic); }
};
using Compressor = UniqueOwner<CompressorTraits>;

}  // namespace korvane
