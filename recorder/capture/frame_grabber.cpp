// The frame grabber. The border is painted pale yellow while the screen is copied and
// green afterwards, so the user sees each grab.
#include "frame_grabber.h"

#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "border_seam.h"
#include "cursor_overlay.h"
#include "frame_dib.h"
#include "global_mem.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr COLORREF kGrabbingColour = 0x00B4FFFF;
constexpr COLORREF kGrabbedColour = 0x0050FF00;

// The cursor to draw: the one the hook last reported, else this thread's cursor,
// which then stays in use until the hook reports another.
HCURSOR CursorForFrame()
{
    HCURSOR cursor = savedCursor.load();
    if (!cursor) {
        cursor = GetCursor();
        HCURSOR expected = nullptr;
        // The UI thread may have stored a report meanwhile; that one wins.
        if (!savedCursor.compare_exchange_strong(expected, cursor))
            cursor = expected;
    }
    return cursor;
}

void DrawCursorAt(HDC frameDc, int left, int top)
{
    POINT pointer = {};
    GetCursorPos(&pointer);
    korvane::DrawCursorInFrame(frameDc, pointer, POINT{left, top}, CursorForFrame());
}

}  // namespace

BITMAPINFOHEADER* GrabRegionFrame(int width, int height, int left, int top, bool quiet)
{
    korvane::WindowDc screen(nullptr);
    if (!screen)
        return nullptr;
    if (!quiet)
        PaintBorder(kGrabbingColour);

    korvane::GlobalBlock packed;
    {
        korvane::MemoryDc memory(screen.Get());
        korvane::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
        if (memory && bitmap) {
            {
                korvane::SelectGuard select(memory.Get(), bitmap.Get());
                BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY);
                DrawCursorAt(memory.Get(), left, top);
            }
            // BitmapToPackedDib hands over a block it has already counted.
            packed = korvane::GlobalBlock::Reclaim(BitmapToPackedDib(bitmap.Get()));
        }
    }
    korvane::LockedGlobal frame = korvane::LockGlobal(std::move(packed));
    if (!quiet)
        PaintBorder(kGrabbedColour);
    // Still counted as open: ReleaseFrameDib takes it back by its pointer.
    return static_cast<BITMAPINFOHEADER*>(frame.Detach().data);
}

int ScreenCopyBandRows(size_t stride, int height)
{
    static const bool wine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    const size_t kWineBandBytes = 512 * 1024;
    if (!wine || stride == 0)
        return height;
    return static_cast<int>(std::max<size_t>(1, kWineBandBytes / stride));
}

ScreenGrabber::ScreenGrabber(int width, int height, int left, int top)
    : m_width(width),
      m_height(height),
      m_left(left),
      m_top(top),
      m_layout(korvane::LayoutForPackedDib(width, height, settings.captureBitsPerPixel)),
      m_screen(nullptr),
      m_bandRows(ScreenCopyBandRows(m_layout.stride, height))
{
    const int bits = settings.captureBitsPerPixel;
    if (bits < 16 || m_layout.blockBytes == 0 || !m_screen)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    korvane::Bitmap section(
        CreateDIBSection(m_screen.Get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    korvane::MemoryDc memory(m_screen.Get());
    if (!section || !memory || !pixels)
        return;
    m_selected = korvane::SelectGuard(memory.Get(), section.Get());
    m_memory = std::move(memory);
    m_section = std::move(section);
    m_bits = pixels;
}

PackedFrame ScreenGrabber::Grab(bool quiet, PackedFrame reuse)
{
    if (!m_bits)
        return PackedFrame(GrabRegionFrame(m_width, m_height, m_left, m_top, quiet));
    if (!quiet)
        PaintBorder(kGrabbingColour);
    bool copied = true;
    for (int y = 0; y < m_height; y += m_bandRows) {
        const int rows = std::min(m_bandRows, m_height - y);
        copied &= BitBlt(m_memory.Get(), 0, y, m_width, rows, m_screen.Get(), m_left, m_top + y,
                         SRCCOPY) != FALSE;
    }
    if (!copied)
        ++m_failedGrabs;
    DrawCursorAt(m_memory.Get(), m_left, m_top);
    GdiFlush();  // the section's bits are read directly next

    PackedFrame frame = std::move(reuse);
    if (!frame) {
        korvane::LockedGlobal block =
            korvane::LockGlobal(korvane::AllocateGlobal(m_layout.blockBytes));
        // Still counted as open: ReleaseFrameDib takes it back by its pointer.
        frame = PackedFrame(static_cast<BITMAPINFOHEADER*>(block.Detach().data));
    }
    BITMAPINFOHEADER* header = frame.Header();
    if (!header)
        return PackedFrame();
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = m_width;
    header->biHeight = m_height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(settings.captureBitsPerPixel);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(m_layout.imageBytes);
    header->biClrUsed = static_cast<DWORD>(m_layout.colourCount);
    std::memcpy(reinterpret_cast<BYTE*>(header) + m_layout.headerBytes, m_bits,
                m_layout.imageBytes);
    if (!quiet)
        PaintBorder(kGrabbedColour);
    return frame;
}
