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
      m_memory(m_screen.Get()),
      m_bandRows(ScreenCopyBandRows(m_layout.stride, height))
{
    m_format.biSize = sizeof(BITMAPINFOHEADER);
    m_format.biWidth = width;
    m_format.biHeight = height;
    m_format.biPlanes = 1;
    m_format.biBitCount = static_cast<WORD>(settings.captureBitsPerPixel);
    m_format.biCompression = BI_RGB;
}

// A frame of this grabber's, the same size and depth, with its section.
bool ScreenGrabber::Fits(const PackedFrame& frame) const
{
    const BITMAPINFOHEADER* header = frame.Header();
    return frame.Section() && header->biWidth == m_width && header->biHeight == m_height &&
           header->biBitCount == m_format.biBitCount;
}

// A band the screen would not give (a locked screen, a secure desktop) holds what was
// last read there, as the movie should; the frame itself last held an older picture.
void ScreenGrabber::KeepLastRead(const PackedFrame& frame, int y, int rows) const
{
    const std::shared_ptr<const BYTE> last = m_lastRead.lock();
    if (!last || last.get() == frame.Bits())
        return;
    // Rows are stored bottom-up: screen rows y .. y + rows - 1 are the last of the image.
    const size_t from = m_layout.stride * (m_height - y - rows);
    std::memcpy(frame.Bits() + from, last.get() + from, m_layout.stride * rows);
}

PackedFrame ScreenGrabber::Grab(bool quiet, PackedFrame reuse)
{
    PackedFrame frame = std::move(reuse);
    if (m_format.biBitCount >= 16 && m_memory && m_screen && !Fits(frame))
        frame = PackedFrame::Sectioned(m_format, m_layout);
    if (!frame.Section())
        return PackedFrame(GrabRegionFrame(m_width, m_height, m_left, m_top, quiet));
    if (!quiet)
        PaintBorder(kGrabbingColour);
    {
        // Selected for this grab only: a section still selected could not be deleted.
        korvane::SelectGuard select(m_memory.Get(), frame.Section());
        bool copied = static_cast<bool>(select);
        if (!copied)
            KeepLastRead(frame, 0, m_height);
        for (int y = 0; y < m_height && select; y += m_bandRows) {
            const int rows = std::min(m_bandRows, m_height - y);
            if (BitBlt(m_memory.Get(), 0, y, m_width, rows, m_screen.Get(), m_left, m_top + y,
                       SRCCOPY))
                continue;
            copied = false;
            GdiFlush();
            KeepLastRead(frame, y, rows);
        }
        if (copied)
            m_lastRead = frame.Watch();
        else
            ++m_failedGrabs;
        DrawCursorAt(m_memory.Get(), m_left, m_top);
        GdiFlush();  // the writer reads the frame's pixels next
    }
    if (!quiet)
        PaintBorder(kGrabbedColour);
    return frame;
}
