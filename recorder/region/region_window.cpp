// The region selection window (UI thread only). The desktop as it was when the window
// appeared is the picture the XOR frame and the label are drawn on. The window keeps a
// copy of it and paints that copy, since a window that paints nothing shows black, not
// what lies beneath it, on some systems (Wine among them). A repaint then draws the
// frame that is on the window again, so that removing it later by inverting once more
// restores the picture instead of drawing a band of its own. The window covers every
// monitor; its rectangles are in screen coordinates (negative left of or above the
// primary monitor), and each DC it draws on is set to take them.
#include "region_window.h"

#include "app/registered_messages.h"
#include "app/recording_settings.h"
#include "app/recording_state.h"
#include "app/screen_layout.h"
#include "region_geometry_win.h"
#include "res/resource.h"
#include "gdi_owners.h"
#include "window_base.h"

int fixedRegionRequest = 0;
HWND optionsDialogWindow = nullptr;

namespace {

using korvane::Bitmap;
using korvane::MemoryDc;
using korvane::SelectGuard;
using korvane::WindowDc;

RECT frameOffset;
RECT currentRect;
RECT drawnRect;
POINT dragStart;
int isDragging = 0;
// What the size label covers, put back when the label moves or goes.
Bitmap labelBackground;
// The rectangle whose frame and label are on the window now; empty when none is.
RECT frameOnWindow;
Bitmap desktopPicture;  // the screen as it was when the window was shown
RECT shownScreen;       // the virtual screen the window and the picture cover

// Lets `hdc`, of the window or of the picture, take screen coordinates.
void UseScreenCoordinates(HDC hdc)
{
    SetViewportOrgEx(hdc, -shownScreen.left, -shownScreen.top, nullptr);
}

// The window's DC, taking screen coordinates.
WindowDc RegionDc(HWND hwnd)
{
    WindowDc dc(hwnd);
    if (dc)
        UseScreenCoordinates(dc.Get());
    return dc;
}

int MonitorTopOf(const RECT& rect) { return MonitorRectAt(POINT{rect.left, rect.top}).top; }

// Inverts the four 2-pixel bands inside `rect`; twice restores what was there.
void InvertBands(HDC hdc, const RECT& rect)
{
    const LONG l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    if (korvane::Brush brush{CreateHatchBrush(HS_BDIAGONAL, RGB(0, 0, 100))}) {
        SelectGuard select(hdc, brush.Get());
        PatBlt(hdc, l, t, r - l, 2, PATINVERT);
        PatBlt(hdc, l, b - 2, 2, t - b + 4, PATINVERT);
        PatBlt(hdc, r - 2, t + 2, 2, b - t - 4, PATINVERT);
        PatBlt(hdc, r, b - 2, l - r, 2, PATINVERT);
    }
}

enum class LabelStep { Show, Remove, Repaint };

// The size label of `rect`: drawn (keeping what it covers), removed (putting that back),
// or drawn again over a repainted picture.
void DrawSizeLabel(HDC hdc, const RECT& rect, LabelStep step)
{
    char text[128];
    korvane::FormatSizeLabel(rect, text, sizeof text);
    const int length = lstrlenA(text);
    SelectGuard font(hdc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32A(hdc, text, length, &extent);
    const korvane::LabelLayout label = korvane::LayoutSizeLabel(rect, extent, MonitorTopOf(rect));
    const RECT box = korvane::ToRECT(label.box);
    const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;

    if (step == LabelStep::Remove) {
        if (labelBackground) {
            if (MemoryDc memory{hdc}) {
                SelectGuard select(memory.Get(), labelBackground.Get());
                BitBlt(hdc, box.left, box.top, boxWidth, boxHeight, memory.Get(), 0, 0, SRCCOPY);
            }
            labelBackground.Reset();
        }
        return;
    }
    if (step == LabelStep::Show) {
        labelBackground.Reset();
        MemoryDc memory{hdc};
        if (memory)
            labelBackground = Bitmap(CreateCompatibleBitmap(hdc, boxWidth, boxHeight));
        if (labelBackground) {
            SelectGuard select(memory.Get(), labelBackground.Get());
            const auto keep = [&](HDC source) {
                BitBlt(memory.Get(), 0, 0, boxWidth, boxHeight, source, box.left, box.top, SRCCOPY);
            };
            // From the picture, not the window: a part of the window not yet repainted
            // may still show something else.
            MemoryDc picture{hdc};
            if (desktopPicture && picture) {
                SelectGuard selectPicture(picture.Get(), desktopPicture.Get());
                UseScreenCoordinates(picture.Get());
                keep(picture.Get());
            } else {
                keep(hdc);
            }
        }
    }
    RoundRect(hdc, box.left, box.top, box.right, box.bottom, 10, 10);
    COLORREF oldText = SetTextColor(hdc, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(hdc, RGB(255, 255, 255));
    ExtTextOutA(hdc, label.text.x, label.text.y, ETO_OPAQUE, nullptr, text, length, nullptr);
    SetBkColor(hdc, oldBack);
    SetTextColor(hdc, oldText);
}

POINT CursorNow()
{
    POINT p{};
    GetCursorPos(&p);
    return p;
}

class RegionWindow : public WindowBase {
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnShowWindow(bool show);
    void CoverVirtualScreen(WINDOWPOS& pos);
    void OnPaint();
    void OnLButtonDown();
    void OnMouseMove();
    void OnLButtonUp();
    void OnRButtonDown();
    void Finish();
    void Cancel();
};

RegionWindow regionWindowObject;

void RegionWindow::OnShowWindow(bool show)
{
    // Whatever was drawn goes with the window's old picture.
    desktopPicture.Reset();
    labelBackground.Reset();
    frameOnWindow = RECT{};
    if (GetCapture() == Hwnd())
        ReleaseCapture();
    isDragging = 0;
    if (!show)
        return;
    // Called before the window becomes visible, so the screen does not show it yet.
    WindowDc screen(nullptr);
    if (!screen)
        return;
    MemoryDc memory(screen.Get());
    if (!memory)
        return;
    const int width = shownScreen.right - shownScreen.left + 1;
    const int height = shownScreen.bottom - shownScreen.top + 1;
    desktopPicture = Bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (desktopPicture) {
        SelectGuard select(memory.Get(), desktopPicture.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), shownScreen.left, shownScreen.top,
               SRCCOPY);
    }
}

void RegionWindow::CoverVirtualScreen(WINDOWPOS& pos)
{
    // Shown maximised, a window fills one monitor; the choice may lie on any of them,
    // so every showing covers them all, as they are now.
    MeasureScreen();
    shownScreen = virtualScreen;
    pos.x = shownScreen.left;
    pos.y = shownScreen.top;
    pos.cx = shownScreen.right - shownScreen.left + 1;
    pos.cy = shownScreen.bottom - shownScreen.top + 1;
    pos.flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
}

void RegionWindow::OnPaint()
{
    korvane::PaintDc paint(Hwnd());
    if (!paint || !desktopPicture)
        return;
    MemoryDc memory(paint.Get());
    if (!memory)
        return;
    SelectGuard select(memory.Get(), desktopPicture.Get());
    // The picture starts where the window does, so both take client coordinates here.
    const RECT& r = paint.Value().ps.rcPaint;
    BitBlt(paint.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(), r.left,
           r.top, SRCCOPY);
    // Only the part repainted is drawn on: elsewhere the frame is still there.
    if (!IsRectEmpty(&frameOnWindow)) {
        UseScreenCoordinates(paint.Get());
        InvertBands(paint.Get(), frameOnWindow);
        DrawSizeLabel(paint.Get(), frameOnWindow, LabelStep::Repaint);
    }
}

void RegionWindow::OnLButtonDown()
{
    if (settings.regionMode != RegionMode::Dragged)
        return;
    dragStart = CursorNow();
    currentRect = RECT{dragStart.x, dragStart.y, dragStart.x, dragStart.y};
    isDragging = 1;
    // A release past the window's edge (a gap between monitors) still ends the drag here.
    SetCapture(Hwnd());
}

void RegionWindow::OnMouseMove()
{
    WindowDc dc = RegionDc(Hwnd());
    if (settings.regionMode == RegionMode::Dragged) {
        if (!isDragging)
            return;
        DrawSelectionFrame(dc.Get(), 0, currentRect);
        POINT p = CursorNow();
        currentRect = RECT{dragStart.x, dragStart.y, p.x, p.y};
        NormalizeRect(currentRect);
        DrawSelectionFrame(dc.Get(), 1, currentRect);
    } else if (settings.regionMode == RegionMode::FixedSize) {
        currentRect = korvane::FixedFrameAt(CursorNow(), frameOffset, selectionRect, shownScreen);
        if (!EqualRect(&currentRect, &drawnRect)) {
            DrawSelectionFrame(dc.Get(), 0, drawnRect);
            DrawSelectionFrame(dc.Get(), 1, currentRect);
            drawnRect = currentRect;
        }
    }
}

void RegionWindow::OnLButtonUp()
{
    if (settings.regionMode == RegionMode::FixedSize) {
        WindowDc dc = RegionDc(Hwnd());
        DrawSelectionFrame(dc.Get(), 0, drawnRect);
        drawnRect = currentRect;
    } else if (settings.regionMode == RegionMode::Dragged) {
        // A release without a press here (the button was already down when the window
        // appeared) would otherwise finish with the previous selection's rectangle.
        if (!isDragging)
            return;
        NormalizeRect(currentRect);
        drawnRect = currentRect;
        isDragging = 0;
    }
    Finish();
}

void RegionWindow::OnRButtonDown()
{
    if (settings.regionMode == RegionMode::FixedSize) {
        WindowDc dc = RegionDc(Hwnd());
        DrawSelectionFrame(dc.Get(), 0, drawnRect);
    } else if (settings.regionMode == RegionMode::Dragged) {
        NormalizeRect(currentRect);
        drawnRect = currentRect;
        isDragging = 0;
    } else {
        return;
    }
    Cancel();
}

void RegionWindow::Finish()
{
    ShowWindow(Hwnd(), SW_HIDE);
    labelBackground.Reset();
    if (IsRectEmpty(&drawnRect)) {
        // Nothing chosen ends the selection as a cancel does; else the Record key would
        // stay dead, and the next selection could still report to the options dialog.
        settings.recordKeyArmed = 1;
        fixedRegionRequest = 0;
        return;
    }
    RECT chosen = drawnRect;
    captureRect = NormalizeRect(chosen);
    if (fixedRegionRequest) {
        fixedRegionRequest = 0;
        PostMessageA(optionsDialogWindow, FixedRegionSelected, 0, 0);
    } else {
        PostMessageA(mainWindow, WM_USER_RECORDSTART_MSG, 0, 0);
    }
}

void RegionWindow::Cancel()
{
    ShowWindow(Hwnd(), SW_HIDE);
    labelBackground.Reset();
    settings.recordKeyArmed = 1;
    fixedRegionRequest = 0;
}

LRESULT RegionWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_WINDOWPOSCHANGING: {
        // WM_SHOWWINDOW does not come for every way of showing (not for a maximising
        // show on Wine); the position change always does, before the window is seen.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_SHOWWINDOW) && !IsWindowVisible(Hwnd())) {
            CoverVirtualScreen(*pos);
            OnShowWindow(true);
        } else if (pos->flags & SWP_HIDEWINDOW) {
            OnShowWindow(false);
        } else if (IsWindowVisible(Hwnd())) {
            // Maximising a shown window again must not shrink it to one monitor.
            pos->flags |= SWP_NOMOVE | SWP_NOSIZE;
        }
        break;
    }
    case WM_PAINT: OnPaint(); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(); break;
    case WM_MOUSEMOVE: OnMouseMove(); break;
    case WM_LBUTTONUP: OnLButtonUp(); break;
    case WM_RBUTTONDOWN: OnRButtonDown(); break;
    default: break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace

void CreateRegionWindow()
{
    MeasureScreen();
    shownScreen = virtualScreen;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // The cross-hair is an icon resource used as the class cursor.
    auto cursor = reinterpret_cast<HCURSOR>(LoadIconA(instance, MAKEINTRESOURCEA(IDI_CROSSHAIR)));
    if (regionWindowObject.Create("ShiftRegionWindow", 0, cursor, LoadIconA(instance, "WINCAP"),
                                  WS_EX_TOPMOST, "Title", WS_POPUP, shownScreen.left,
                                  shownScreen.top, shownScreen.right - shownScreen.left + 1,
                                  shownScreen.bottom - shownScreen.top + 1, nullptr))
        regionWindow = regionWindowObject.Hwnd();
}

int BeginFixedFrame()
{
    korvane::ClampRectToScreen(selectionRect, shownScreen);
    currentRect = selectionRect;
    {
        WindowDc dc = RegionDc(regionWindow);
        // A move that came between the window's showing and this call has drawn a frame
        // already: it goes first, or it would stay on the window as a stray band.
        const RECT drawn = frameOnWindow;
        DrawSelectionFrame(dc.Get(), 0, drawn);
        DrawSelectionFrame(dc.Get(), 1, currentRect);
    }
    frameOffset = korvane::CentredFrameOffset(currentRect);
    drawnRect = currentRect;
    return 0;
}

void DrawSelectionFrame(HDC hdc, int show, const RECT& rect)
{
    if (!hdc || IsRectEmpty(&rect))
        return;
    // Inverting a frame that is not there would draw one.
    if (!show && !EqualRect(&rect, &frameOnWindow))
        return;
    InvertBands(hdc, rect);
    DrawSizeLabel(hdc, rect, show ? LabelStep::Show : LabelStep::Remove);
    frameOnWindow = show ? rect : RECT{};
}

RECT& NormalizeRect(RECT& rect)
{
    korvane::Rect r = korvane::ToRect(rect);
    rect = korvane::ToRECT(korvane::NormalizeRect(r));
    return rect;
}

RECT& ClampRectToScreen(RECT& rect) { return korvane::ClampRectToScreen(rect, virtualScreen); }
