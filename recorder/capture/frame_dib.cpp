// Packed frames: layout from packed_dib_layout, pixels from GetDIBits or a DIB section.
#include "frame_dib.h"

#include "app/recording_settings.h"
#include "gdi_owners.h"
#include "global_mem.h"
#include "packed_dib_layout.h"

#include <memory>
#include <utility>

HGLOBAL BitmapToPackedDib(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return nullptr;
    const int bits = settings.captureBitsPerPixel;
    const korvane::PackedDibLayout layout =
        korvane::LayoutForPackedDib(info.bmWidth, info.bmHeight, bits);
    if (layout.blockBytes == 0)
        return nullptr;
    korvane::GlobalBlock block = korvane::AllocateGlobal(layout.blockBytes);
    if (!block)
        return nullptr;
    {
        korvane::GlobalLockGuard lock(block.Get());
        auto* header = static_cast<BITMAPINFOHEADER*>(lock.Get());
        if (!header)
            return nullptr;
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = info.bmWidth;
        header->biHeight = info.bmHeight;
        header->biPlanes = 1;
        header->biBitCount = static_cast<WORD>(bits);
        header->biCompression = BI_RGB;
        header->biSizeImage = static_cast<DWORD>(layout.imageBytes);
        header->biClrUsed = static_cast<DWORD>(layout.colourCount);
        korvane::MemoryDc dc(nullptr);
        if (!dc)
            return nullptr;
        BYTE* pixels = reinterpret_cast<BYTE*>(header) + layout.headerBytes;
        if (!GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels,
                       reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS))
            return nullptr;
        // GetDIBits may have rewritten it; the layout is fixed by the depth alone.
        header->biClrUsed = static_cast<DWORD>(layout.colourCount);
    }
    // Counted as open until ReleaseFrameDib frees it.
    return block.Detach();
}

namespace {

// What a sectioned frame is made of.
struct FrameSection {
    BITMAPINFOHEADER header;
    korvane::Bitmap section;
};

}  // namespace

PackedFrame PackedFrame::Sectioned(const BITMAPINFOHEADER& header,
                                   const korvane::PackedDibLayout& layout)
{
    if (layout.blockBytes == 0 || layout.colourCount != 0 ||
        header.biSize != sizeof(BITMAPINFOHEADER))
        return PackedFrame();
    // The section's own memory, not a mapping of ours: Wine backs every mapping with a
    // file, whose pages the kernel would keep writing out as each frame dirties them.
    auto parts = std::make_shared<FrameSection>();
    parts->header = header;
    parts->header.biSizeImage = static_cast<DWORD>(layout.imageBytes);
    parts->header.biClrUsed = 0;
    void* bits = nullptr;
    parts->section = korvane::Bitmap(
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&parts->header),
                         DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!parts->section || !bits)
        return PackedFrame();
    PackedFrame frame;
    frame.m_section = parts->section.Get();
    frame.m_bits = static_cast<BYTE*>(bits);
    frame.m_sectioned = std::shared_ptr<BITMAPINFOHEADER>(parts, &parts->header);
    return frame;
}

void ReleaseFrameDib(void* frame)
{
    if (!frame)
        return;
    HGLOBAL hmem = GlobalHandle(frame);
    if (!hmem)
        return;
    // Counted since BitmapToPackedDib; the owner unlocks, frees and notes the close.
    korvane::LockedGlobal owned = korvane::LockedGlobal::Reclaim({hmem, frame});
}
