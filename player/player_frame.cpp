// The "Player" frame window (UI thread only).
#include "player_frame.h"

#include "gdi_owners.h"
#include "frame_size.h"
#include "player_rules.h"
#include "resource.h"
#include "win_boundary.h"

#include <vfw.h>

#include <utility>

namespace {

constexpr char kClassName[] = "Player";
constexpr int kDisplayTimerMs = 20;

}  // namespace

bool PlayerFrame::RegisterPlayerClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "AppIcon");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = kClassName;
    wc.lpszClassName = kClassName;
    return RegisterWindowClass(wc);
}

bool PlayerFrame::CreateFrame()
{
    const SIZE size = EmptySize();
    // The class is already registered, so Create only makes the window.
    if (!Create(kClassName, 0, nullptr, nullptr, 0, kClassName,
                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                size.cy, nullptr))
        return false;
    playerMenu = GetMenu(Hwnd());
    UpdateMenu();
    return true;
}

bool PlayerFrame::CreateMovieWindow(HINSTANCE instance)
{
    movieWindow = MCIWndCreateA(Hwnd(), instance,
                                WS_CHILD | WS_VISIBLE | MCIWNDF_NOOPEN | MCIWNDF_NOERRORDLG |
                                    MCIWNDF_NOTIFYSIZE | MCIWNDF_SHOWMODE,
                                nullptr);
    if (!movieWindow)
        return false;
    SendMessageA(movieWindow, MCIWNDM_SETINACTIVETIMER, kDisplayTimerMs, 0);
    SendMessageA(movieWindow, MCIWNDM_SETACTIVETIMER, kDisplayTimerMs, 0);
    SendMessageA(movieWindow, MCIWNDM_SETREPEAT, 0, FALSE);
    ShowWindow(movieWindow, SW_SHOW);
    return true;
}

SIZE PlayerFrame::EmptySize() const
{
    return korvane::ToSIZE(reelpane::EmptyFrameSize(
        GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYMENU), GetSystemMetrics(SM_CYFRAME)));
}

LRESULT PlayerFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ACTIVATE:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        if (movieWindow)
            return SendMessageA(movieWindow, message, wParam, lParam);
        break;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_PLAYER_OPEN: return OnOpenAndPlay();
    case MCIWNDM_NOTIFYSIZE: OnMovieSizeChanged(); break;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return Default(message, wParam, lParam);
}

void PlayerFrame::OnPaint()
{
    // The movie window covers the client area; without one the class background shows.
    const korvane::PaintDc paint(Hwnd());
}

void PlayerFrame::OnCommand(int id)
{
    switch (id) {
    case IDM_PLAY:
        // The MCI window plays nothing from the last frame, so a movie that has played
        // to its end starts again from the beginning.
        if (movieOpen &&
            reelpane::IsAtMovieEnd(MCIWndGetPosition(movieWindow), MCIWndGetEnd(movieWindow)))
            MCIWndHome(movieWindow);
        SendMessageA(movieWindow, MCI_PLAY, 0, 0);
        break;
    case IDM_STOP: SendMessageA(movieWindow, MCI_STOP, 0, 0); break;
    case IDM_EXIT: PostMessageA(Hwnd(), WM_CLOSE, 0, 0); break;
    }
}

LRESULT PlayerFrame::OnOpenAndPlay()
{
    if (movieOpen)
        SendMessageA(movieWindow, MCI_CLOSE, 0, 0);
    movieOpen = true;
    const bool opened = reelpane::IsOpenablePath(moviePath) &&
                        SendMessageA(movieWindow, MCIWNDM_OPENA, 0,
                                     reinterpret_cast<LPARAM>(moviePath.c_str())) == 0;
    if (!opened) {
        char text[128] = {};
        LoadStringA(GetModuleHandleA(nullptr), IDS_CANNOT_OPEN, text, sizeof text);
        MessageBoxA(Hwnd(), text, nullptr, MB_ICONWARNING | MB_OK);
        movieOpen = false;
    } else {
        ShowWindow(movieWindow, SW_SHOW);
    }
    UpdateMenu();
    InvalidateRect(Hwnd(), nullptr, FALSE);
    UpdateWindow(Hwnd());
    // Also after a failed open: the MCI window then has nothing to play and says so.
    SendMessageA(movieWindow, MCI_PLAY, 0, 0);
    return 0;
}

void PlayerFrame::OnMovieSizeChanged()
{
    RECT movieRect = {};
    if (movieWindow)
        GetWindowRect(movieWindow, &movieRect);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(Hwnd(), GWL_STYLE));
    SIZE size;
    if (reelpane::FrameSizeFor(IsIconic(Hwnd()) != FALSE, movieOpen, movieRect, style, EmptySize(),
                               &size))
        SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlayerFrame::OnDestroy()
{
    if (movieOpen)
        SendMessageA(movieWindow, MCI_CLOSE, 0, 0);
    if (movieWindow)
        SendMessageA(std::exchange(movieWindow, nullptr), WM_CLOSE, 0, 0);
    PostQuitMessage(0);
}

void PlayerFrame::UpdateMenu()
{
    EnableMenuItem(playerMenu, IDM_PLAY, MF_BYCOMMAND | (movieOpen ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(Hwnd());
}
