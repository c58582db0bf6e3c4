// CMyHyperLink (UI thread).
#include "my_hyper_link.h"

#include "kernel_owners.h"

#include <shellapi.h>

namespace {
// The hand cursor of the Windows help program; stock IDC_HAND where it has none.
const int kHelpHandCursor = 106;
}  // namespace

std::function<void(const std::string&)> CMyHyperLink::openAddress = [](const std::string& address) {
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWMINIMIZED);
};

CMyHyperLink::~CMyHyperLink()
{
    // The font goes with this object; a window that outlives it must not keep using it.
    if (Hwnd() && m_linkFont)
        SendMessageA(Hwnd(), WM_SETFONT, 0, FALSE);
}

void CMyHyperLink::PreSubclassWindow()
{
    HWND hwnd = Hwnd();
    SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | SS_NOTIFY);

    HFONT current = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    if (!current)
        current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf = {};
    if (GetObjectA(current, sizeof(lf), &lf) == sizeof(lf)) {
        lf.lfUnderline = TRUE;
        m_linkFont = korvane::GdiObject<HFONT>(CreateFontIndirectA(&lf));
        if (m_linkFont)
            SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), TRUE);
    }

    char path[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    if (length > 0 && length + sizeof("\\Winhlp32.exe") <= MAX_PATH) {
        lstrcatA(path, "\\Winhlp32.exe");
        if (const korvane::Module help{LoadLibraryA(path)}) {
            // A cursor loaded from a module that is freed again: copy it, so that ours stays.
            if (HCURSOR hand = LoadCursorA(help.Get(), MAKEINTRESOURCEA(kHelpHandCursor)))
                m_handCursor = CopyCursor(hand);
        }
    }
    if (!m_handCursor)
        m_handCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
}

LRESULT CMyHyperLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(wParam, lParam); return 0;
    case WM_SETCURSOR: return OnSetCursor();
    default: return Default(message, wParam, lParam);
    }
}

bool CMyHyperLink::OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(CtlColor(reinterpret_cast<HDC>(wParam)));
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        OnLinkClicked();
        result = 0;
        return true;
    }
    (void)lParam;
    return false;
}

void CMyHyperLink::OnMouseMove(WPARAM flags, LPARAM point)
{
    Default(WM_MOUSEMOVE, flags, point);
    if (m_hovering) {
        RECT client;
        GetClientRect(Hwnd(), &client);
        const POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
        if (PtInRect(&client, p))
            return;
        m_hovering = false;
        ReleaseCapture();
        RedrawNow();
    } else {
        m_hovering = true;
        RedrawNow();
        SetCapture(Hwnd());
    }
}

BOOL CMyHyperLink::OnSetCursor()
{
    SetCursor(m_handCursor);
    return TRUE;
}

void CMyHyperLink::OnLinkClicked()
{
    openAddress(m_target);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

HBRUSH CMyHyperLink::CtlColor(HDC hdc)
{
    SetTextColor(hdc, TextColour());
    SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CMyHyperLink::RedrawNow()
{
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
